#include "common/runtime_error.h"
#include "engine/sheet/biff/book_file.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kolumbra::sheet::biff {
namespace {

std::vector<std::filesystem::path> Fixtures() {
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::directory_iterator(KOLUMBRA_FIXTURES "/xls"))
        if (e.path().extension() == ".xls") files.push_back(e.path());
    return files;
}

TEST(BookFile, EveryFixtureComesBackWithAllStreamsAndClassIds) {
    const auto files = Fixtures();
    ASSERT_EQ(files.size(), 6u);
    for (const auto& path : files) {
        SCOPED_TRACE(path.filename().string());
        const std::string raw = kolumbra::testing::ReadBytes(path.string());
        const BookFile book = ReadBookFile(Bytes(raw.begin(), raw.end()));
        EXPECT_GT(book.Workbook().size(), 4096u);
        const BookFile again = ReadBookFile(WriteBookFile(book));
        EXPECT_EQ(again.root, book.root);
    }
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
