// Pages, progress sizes, sheet names and the file test of the sheet writer.

#include <gtest/gtest.h>

#include "layoutbook/table_sheets.h"
#include "temp_dir.h"

namespace kolumbra {
namespace {

TEST(PageArithmetic, ThirtyFourFieldsAPageAndAMultipleGetsAnEmptyLastPage) {
    EXPECT_EQ(PageCount(0), 1);
    EXPECT_EQ(PageCount(33), 1);
    EXPECT_EQ(PageCount(34), 2);
    EXPECT_EQ(PageCount(35), 2);
    EXPECT_EQ(PageCount(67), 2);
    EXPECT_EQ(PageCount(68), 3);
    EXPECT_EQ(PageCount(251), 8);
}

TEST(PageArithmetic, ProgressStepAndMaximum) {
    struct Case { std::int16_t pages, step, maximum; };
    for (const Case c : {Case{1, 17, 102}, Case{2, 8, 96}, Case{3, 6, 108}, Case{8, 2, 96}, Case{17, 1, 102}, Case{34, 0, 0}}) {
        const std::int16_t step = ProgressStepFor(c.pages);
        EXPECT_EQ(step, c.step) << c.pages << " pages";
        EXPECT_EQ(c.pages * 6 * step, c.maximum) << c.pages << " pages";
    }
}

TEST(SheetNames, OnePageCutsToThirtyCharactersSeveralToTwentySixAndTheNumber) {
    const std::string forty = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn";
    EXPECT_EQ(SheetNameOf(forty, 1, 1), forty.substr(0, 30));
    EXPECT_EQ(SheetNameOf(forty, 2, 2), forty.substr(0, 26) + "_ 2");
    EXPECT_EQ(SheetNameOf("Orders", 1, 2), "Orders_ 1");
    EXPECT_EQ(SheetNameOf("Orders", 10, 12), "Orders_ 10");
    // Characters, not bytes: 40 kanji keep 30 / 26 of them.
    std::string kanji;
    for (int i = 0; i < 40; ++i) kanji += "表";
    EXPECT_EQ(SheetNameOf(kanji, 1, 1).size(), 30u * 3);
    EXPECT_EQ(SheetNameOf(kanji, 1, 3), kanji.substr(0, 26 * 3) + "_ 1");
}

TEST(FileExistsTest, OnlyAReadableFileCounts) {
    testing::TempDir dir;
    const std::string file = dir.file("book.xls");
    EXPECT_FALSE(FileExists(file));
    testing::WriteBytes(file, "x");
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FileExists(dir.path().string()));
    EXPECT_FALSE(FileExists(file + "/inner.xls"));
    EXPECT_FALSE(FileExists(""));
}

}  // namespace
}  // namespace kolumbra
