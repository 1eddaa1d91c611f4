// Saving replaces a workbook file atomically: whatever fails, the old file
// stays as it was and nothing else is left in its folder.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "common/runtime_error.h"
#include "engine/sheet/atomic_file.h"
#include "engine/sheet/biff/book_file.h"
#include "engine/sheet/workbook.h"
#include "readers.h"
#include "temp_dir.h"

namespace kolumbra::sheet {
namespace {

using kolumbra::testing::ReadBytes;
using kolumbra::testing::TempDir;
using kolumbra::testing::WriteBytes;

std::vector<std::string> FilesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// The description of the error a save raises ("" when none).
std::string SaveError(const std::function<void()>& save) {
    try {
        save();
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), 1004);
        return e.description();
    }
    return "";
}

TEST(Save, UnwritablePathsRaiseAnErrorNamingThePathAndKeepTheOldFile) {
    TempDir dir;
    auto book = CreateWorkbook();
    book->SaveAs(dir.file("old.xls"));
    const std::string old = ReadBytes(dir.file("old.xls"));
    WriteBytes(dir.file("plain.txt"), "not a folder");
    std::filesystem::create_directory(dir.path() / "folder.xls");
    for (const std::string& target : {dir.file("missing/out.xls"), dir.file("plain.txt/out.xls"), dir.file("folder.xls")}) {
        const std::string why = SaveError([&] { book->SaveAs(target); });
        EXPECT_NE(why.find(target), std::string::npos) << why;
    }
    book->Save();  // the failed SaveAs calls did not move the workbook's own path
    EXPECT_EQ(FilesIn(dir.path()), (std::vector<std::string>{"folder.xls", "old.xls", "plain.txt"}));
    book->GetApplication().Quit();
    EXPECT_EQ(ReadBytes(dir.file("old.xls")), old);
}

TEST(Save, AReadOnlyFolderKeepsTheOldFile) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    TempDir dir;
    auto book = CreateWorkbook();
    book->SaveAs(dir.file("old.xls"));
    const std::string old = ReadBytes(dir.file("old.xls"));
    ::chmod(dir.path().c_str(), 0555);
    EXPECT_NE(SaveError([&] { book->Save(); }).find("old.xls"), std::string::npos);
    ::chmod(dir.path().c_str(), 0755);
    EXPECT_EQ(ReadBytes(dir.file("old.xls")), old);
}

TEST(Save, ANewWorkbookHasNoPathToSaveTo) {
    auto book = CreateWorkbook();
    EXPECT_FALSE(SaveError([&] { book->Save(); }).empty());
    EXPECT_FALSE(SaveError([&] { book->SaveAs(""); }).empty());
}

TEST(Save, AFailureBetweenWriteAndRenameLeavesTheOldFile) {
    TempDir dir;
    WriteBytes(dir.file("book.xls"), "old contents");
    const std::vector<std::uint8_t> fresh(10000, 0x42);
    EXPECT_THROW(WriteFileAtomically(dir.file("book.xls"), fresh, [] { throw RuntimeError(err::DeviceIo); }),
                 RuntimeError);
    EXPECT_EQ(ReadBytes(dir.file("book.xls")), "old contents");
    EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"book.xls"}) << "the temporary file is removed";
    WriteFileAtomically(dir.file("book.xls"), fresh);
    EXPECT_EQ(ReadBytes(dir.file("book.xls")), std::string(10000, 0x42));
    struct stat info {};
    ASSERT_EQ(::stat(dir.file("book.xls").c_str(), &info), 0);
    EXPECT_NE(info.st_mode & 0044, 0u) << "readable as a file created normally";
}

// A save that adds to the file and cannot (the file-size limit stands in
// for a full disk) raises an error naming the file, which stays byte for
// byte as the last save left it: what was appended is cut off again.
TEST(Save, AFailedSaveInPlaceLeavesTheFileAsItWas) {
    TempDir dir;
    const std::string path = dir.file("book.xls");
    auto book = CreateWorkbook();
    book->SaveAs(path);
    const auto addSheetAndSave = [&] {
        Sheets sheets = book->GetSheets();
        sheets.Add(sheets.Item(sheets.Count())).Cells(1, 1).SetValue("page");
        book->Save();
    };
    addSheetAndSave();
    addSheetAndSave();
    const std::string before = ReadBytes(path);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{before.size() + 1024, before.size() + 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const std::string error = SaveError(addSheetAndSave);
        ::_exit(error.find("'" + path + "' に保存できません。") == 0 ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ReadBytes(path), before);
}

TEST(Save, AProcessKilledWhileSavingLeavesAWorkbookThatBinds) {
    TempDir dir;
    const std::string path = dir.file("book.xls");
    CreateWorkbook()->SaveAs(path);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto book = GetWorkbook(path);
        for (int n = 0;; ++n) {
            Sheets sheets = book->GetSheets();
            Worksheet sheet = sheets.Add(sheets.Item(sheets.Count()));
            for (int r = 1; r <= 200; ++r) sheet.Cells(r, 1).SetValue("row " + std::to_string(r + n));
            book->Save();
        }
    }
    ::usleep(300 * 1000);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    auto book = GetWorkbook(path);
    EXPECT_GE(book->GetSheets().Count(), 1);
    testing::ExpectSoundStream(testing::WorkbookStreamOf(path));
}

// With the working folder deleted, a relative path is one that cannot be
// found, for saving and binding alike (in a child: the folder is the
// process's).
TEST(Save, ARelativePathInADeletedWorkingFolderIsAPathError) {
    TempDir dir;
    const std::filesystem::path gone = dir.path() / "gone";
    std::filesystem::create_directory(gone);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool deleted = ::chdir(gone.c_str()) == 0 && ::rmdir(gone.c_str()) == 0;
        auto book = CreateWorkbook();
        const std::string saving = SaveError([&] { book->SaveAs("book.xls"); });
        std::string binding;
        try {
            GetWorkbook("book.xls");
        } catch (const RuntimeError& e) {
            binding = e.description();
        }
        ::_exit(deleted && saving == "'book.xls' に保存できません。フォルダーが見つかりません。" &&
                        binding == "'book.xls' が見つからないか、読み込めません。"
                    ? 0
                    : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// A damaged file that still carries this engine's mark is refused or read
// with RuntimeErrors only: never a crash, never another exception.
TEST(Bind, DamagedOwnWorkbooksRaiseRuntimeErrorsOnly) {
    TempDir dir;
    auto book = CreateWorkbook();
    Sheets sheets = book->GetSheets();
    for (int n = 0; n < 3; ++n) {
        Worksheet sheet = sheets.Add(sheets.Item(sheets.Count()));
        for (int r = 1; r <= 40; ++r) sheet.Cells(r, 2).SetValue(r % 2 ? "text " + std::to_string(r) : std::to_string(r));
        sheet.GetRange("A1:B2").SetMergeCells(true);
    }
    book->SaveAs(dir.file("good.xls"));
    const std::string raw = ReadBytes(dir.file("good.xls"));
    const biff::BookFile good = biff::ReadBookFile(biff::Bytes(raw.begin(), raw.end()));
    const biff::Bytes stream = good.Workbook();
    std::uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245 + 12345; };
    for (int round = 0; round < 300; ++round) {
        biff::BookFile damaged = good;
        biff::Bytes& s = damaged.Workbook();
        if (round % 3 == 0) {
            s.resize(next() % stream.size());
        } else {
            for (int k = 0; k < 1 + round % 5; ++k) s[next() % s.size()] ^= static_cast<std::uint8_t>(1 + next() % 255);
        }
        const biff::Bytes file = biff::WriteBookFile(damaged);
        WriteBytes(dir.file("bad.xls"), std::string(file.begin(), file.end()));
        try {
            auto bound = GetWorkbook(dir.file("bad.xls"));
            Sheets all = bound->GetSheets();
            for (int i = 1; i <= all.Count(); ++i) {
                for (int r = 1; r <= 40; ++r) all.Item(i).Cells(r, 2).Value();
            }
            all.Add(all.Item(all.Count())).Cells(1, 1).SetValue("added");
            bound->SaveAs(dir.file("resaved.xls"));
        } catch (const RuntimeError& e) {
            EXPECT_FALSE(e.description().empty());
        }
    }
}

}  // namespace
}  // namespace kolumbra::sheet
