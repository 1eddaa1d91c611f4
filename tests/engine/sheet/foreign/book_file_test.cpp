#include "common/runtime_error.h"
#include "engine/sheet/biff/book_file.h"
#include "engine/sheet/biff/bytes.h"
#include "foreign_files.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kolumbra::sheet::biff {
namespace {

TEST(BookFile, EveryFixtureComesBackWithAllStreamsAndClassIds) {
    const auto files = sheet::testing::ForeignFixtures();
    ASSERT_EQ(files.size(), 8u);
    for (const auto& path : files) {
        SCOPED_TRACE(path.filename().string());
        const std::string raw = kolumbra::testing::ReadBytes(path.string());
        const BookFile book = ReadBookFile(Bytes(raw.begin(), raw.end()));
        EXPECT_GT(book.Workbook().size(), 4096u);
        const BookFile again = ReadBookFile(WriteBookFile(book));
        EXPECT_EQ(again.root, book.root);
    }
}

// The directory entry name of the root storage, as stored.
std::u16string RootName(const Bytes& file) {
    const std::size_t root = (GetU32(file, 0x30) + 1) * 512;
    std::u16string name;
    for (std::size_t at = root; at + 2 < root + GetU16(file, root + 64); at += 2) name += static_cast<char16_t>(GetU16(file, at));
    return name;
}

// One file per quirk of other writers that every reader accepts: the engine
// takes it apart and writes a well-formed container.
TEST(BookFile, QuirksOfOtherWritersAreReadAndWrittenWellFormed) {
    int quirks = 0;
    for (const auto& e : std::filesystem::directory_iterator(KOLUMBRA_SOURCE_DIR "/tests/engine/sheet/foreign/quirks")) {
        SCOPED_TRACE(e.path().filename().string());
        const std::string raw = kolumbra::testing::ReadBytes(e.path().string());
        const BookFile book = ReadBookFile(Bytes(raw.begin(), raw.end()));
        const Bytes written = WriteBookFile(book);
        EXPECT_EQ(written.size() % 512, 0u);
        EXPECT_EQ(RootName(written), u"Root Entry");
        EXPECT_EQ(ReadBookFile(written).root, book.root);
        ++quirks;
    }
    EXPECT_EQ(quirks, 2);
}

TEST(BookFile, RefusesWhatIsNotACompoundFile) {
    for (const Bytes& file : {Bytes{}, Bytes(600, 'a'), Bytes{'P', 'K', 3, 4, 0, 0}}) {
        try {
            ReadBookFile(file);
            ADD_FAILURE() << "accepted";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), 1004);
            EXPECT_FALSE(e.description().empty());
        }
    }
}

}  // namespace
}  // namespace kolumbra::sheet::biff
