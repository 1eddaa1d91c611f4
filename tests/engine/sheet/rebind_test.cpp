// A workbook this process saved, or bound and only read, and then quit is
// bound again from what it kept only while its file is exactly the one it
// held; any other file is parsed anew, and nothing of it is lost.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "common/runtime_error.h"
#include "engine/sheet/atomic_file.h"
#include "engine/sheet/biff/record_types.h"
#include "engine/sheet/biff/stream.h"
#include "engine/sheet/workbook.h"
#include "readers.h"
#include "temp_dir.h"

namespace kolumbra::sheet {
namespace {

using kolumbra::testing::ReadBytes;
using kolumbra::testing::TempDir;
using kolumbra::testing::WriteBytes;

std::vector<std::string> SheetNames(const std::string& path) {
    auto book = GetWorkbook(path);
    Sheets sheets = book->GetSheets();
    std::vector<std::string> names;
    for (int i = 1; i <= sheets.Count(); ++i) names.push_back(sheets.Item(i).Name());
    book->GetApplication().Quit();
    return names;
}

// Adds a sheet of that name after the last one, saves and quits.
void AppendSheet(const std::string& path, const std::string& name) {
    auto book = GetWorkbook(path);
    Sheets sheets = book->GetSheets();
    sheets.Add(sheets.Item(sheets.Count())).SetName(name);
    book->Save();
    book->GetApplication().Quit();
}

// Overwrites the file in place with as many zero bytes, keeping its inode
// and size, and sets its modification time `shiftNs` nanoseconds on from
// what it was.
void ZeroInPlace(const std::string& path, long shiftNs) {
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    const int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    const std::string zeros(static_cast<std::size_t>(before.st_size), '\0');
    EXPECT_EQ(::pwrite(fd, zeros.data(), zeros.size(), 0), static_cast<ssize_t>(zeros.size()));
    timespec times[2] = {before.st_atim, before.st_mtim};
    times[1].tv_nsec = (times[1].tv_nsec + shiftNs) % 1000000000;
    EXPECT_EQ(::futimens(fd, times), 0);
    ::close(fd);
}

struct Rebind : ::testing::Test {
    TempDir dir;
    const std::string path = dir.file("book.xls");
    void SetUp() override {
        auto book = CreateWorkbook();
        book->SaveAs(path);
        book->GetApplication().Quit();
        AppendSheet(path, "Ours");
    }
};

TEST_F(Rebind, UnchangedFileIsTakenFromWhatWasKeptToTheNanosecond) {
    ZeroInPlace(path, 0);
    EXPECT_EQ(SheetNames(path), (std::vector<std::string>{"Sheet1", "Ours"}));
}

// A refresh binds the workbook once a table, mostly only to read it.
TEST_F(Rebind, AWorkbookBoundAndOnlyReadIsKeptToo) {
    for (const auto& [fixture, target] : {std::pair{"/xls/3d-multisheet-refs.xls", path},
                                          std::pair{"/xlsx/gsheets-names-dv.xlsx", dir.file("read.xlsx")}}) {
        const std::string other = dir.file("other");
        std::filesystem::copy_file(KOLUMBRA_FIXTURES + std::string(fixture), other);
        std::filesystem::rename(other, target);
        const std::vector<std::string> names = SheetNames(target);
        ZeroInPlace(target, 0);
        EXPECT_EQ(SheetNames(target), names) << target;
    }
}

TEST_F(Rebind, FileWithAnotherModificationTimeIsParsedAnew) {
    ZeroInPlace(path, 1);
    EXPECT_THROW(GetWorkbook(path), RuntimeError);
}

TEST_F(Rebind, FileReplacedByAnotherWriterIsBoundAnewWithNothingLost) {
    const std::string other = dir.file("other.xls");
    std::filesystem::copy_file(KOLUMBRA_FIXTURES "/xls/3d-multisheet-refs.xls", other);
    std::filesystem::rename(other, path);
    AppendSheet(path, "Ours again");
    EXPECT_EQ(SheetNames(path), (std::vector<std::string>{"Sheet1", "Sheet2", "Sheet3", "Ours again"}));
}

TEST_F(Rebind, FileRewrittenInPlaceIsBoundAnewWithNothingLost) {
    WriteBytes(path, ReadBytes(KOLUMBRA_FIXTURES "/xls/names-34-4sheets.xls"));
    AppendSheet(path, "Ours again");
    const std::vector<std::string> names = SheetNames(path);
    ASSERT_EQ(names.size(), 5u);
    EXPECT_EQ(names.back(), "Ours again");
}

std::uint64_t InodeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0);
    return st.st_ino;
}

bool HasRoom(const std::string& path) {
    const biff::RecordList globals = biff::ReadSubstream(testing::WorkbookStreamOf(path), 0);
    return std::any_of(globals.begin(), globals.end(), [](const biff::Record& r) { return r.type == biff::rt::Room; });
}

// The saves after the first two of a run add to the file in place; every
// version reads back whole elsewhere, and the end of the run writes the
// file anew in one piece, as a single save would.
TEST_F(Rebind, LaterSavesOfARunAddToTheFileAndTheEndWritesItWhole) {
    const std::uint64_t inode = InodeOf(path);
    for (const char* name : {"P1", "P2", "P3"}) {
        AppendSheet(path, name);
        testing::ExpectSoundStream(testing::WorkbookStreamOf(path));
        EXPECT_EQ(testing::ReadWithXlrd(path).sheets.back(), name);
    }
    EXPECT_EQ(InodeOf(path), inode);
    EXPECT_TRUE(HasRoom(path));
    CompactSavedWorkbook();
    EXPECT_NE(InodeOf(path), inode);
    EXPECT_FALSE(HasRoom(path));
    EXPECT_EQ(SheetNames(path), (std::vector<std::string>{"Sheet1", "Ours", "P1", "P2", "P3"}));
}

// Another program's change to the file since this process read or last
// saved it is never written over: the save fails naming the change, and
// the file stays as that program left it. Told by the file's stamp or,
// where a change kept inode, size and time, by its header.
TEST_F(Rebind, AFileChangedSinceItWasReadOrSavedIsNeverWrittenOver) {
    const std::string other = KOLUMBRA_FIXTURES "/xls/3d-multisheet-refs.xls";
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"written in place, same time", [&] { ZeroInPlace(path, 0); }},
        {"written in place", [&] { ZeroInPlace(path, 1); }},
        {"copied over", [&] { std::filesystem::copy_file(other, path, std::filesystem::copy_options::overwrite_existing); }},
        {"renamed over",
         [&] {
             std::filesystem::copy_file(KOLUMBRA_FIXTURES "/xls/names-34-4sheets.xls", dir.file("new.xls"));
             std::filesystem::rename(dir.file("new.xls"), path);
         }},
    };
    for (const auto& [change, apply] : changes) {
        // Changed after reading, before the first save, which is whole;
        // after two saves, before the third, which adds in place.
        for (const int savesBefore : {0, 2}) {
            SCOPED_TRACE(std::string(change) + " after " + std::to_string(savesBefore) + " saves");
            std::filesystem::copy_file(other, path, std::filesystem::copy_options::overwrite_existing);
            auto book = GetWorkbook(path);
            Sheets sheets = book->GetSheets();
            for (int save = 1; save <= savesBefore; ++save) {
                sheets.Add(sheets.Item(sheets.Count())).SetName("P" + std::to_string(save));
                book->Save();
            }
            apply();
            const std::string changed = ReadBytes(path);
            sheets.Add(sheets.Item(sheets.Count())).SetName("P3");
            for (int attempt = 0; attempt < 2; ++attempt) {
                try {
                    book->Save();
                    ADD_FAILURE() << "saved over the change";
                } catch (const RuntimeError& e) {
                    EXPECT_EQ(e.description(), FileChanged(path).description());
                }
            }
            book->GetApplication().Quit();
            EXPECT_EQ(ReadBytes(path), changed);
        }
    }
}

TEST_F(Rebind, ChangesDroppedByQuitAreNotKept) {
    auto book = GetWorkbook(path);
    Sheets sheets = book->GetSheets();
    sheets.Add(sheets.Item(2)).SetName("Dropped");
    book->GetApplication().Quit();
    EXPECT_EQ(SheetNames(path), (std::vector<std::string>{"Sheet1", "Ours"}));
}

}  // namespace
}  // namespace kolumbra::sheet
