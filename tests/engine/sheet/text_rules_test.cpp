// Values, addresses and sheet names: the rules that decide what the engine
// accepts and what it stores.

#include <gtest/gtest.h>

#include <cmath>

#include "common/runtime_error.h"
#include "engine/sheet/address.h"
#include "engine/sheet/cell_value.h"
#include "engine/sheet/sheet_name.h"

namespace kolumbra::sheet {
namespace {

TEST(PlainDecimal, SignsBlanksDigitsAndFractionsOnly) {
    EXPECT_EQ(PlainDecimal(" 1"), 1.0);
    EXPECT_EQ(PlainDecimal("-12"), -12.0);
    EXPECT_EQ(PlainDecimal("+7 "), 7.0);
    EXPECT_EQ(PlainDecimal("  12.50 "), 12.5);
    EXPECT_EQ(PlainDecimal("3."), 3.0);
    EXPECT_EQ(PlainDecimal("-0"), 0.0);
    EXPECT_FALSE(std::signbit(*PlainDecimal("-0")));
    for (const char* text : {"", " ", "P", "PU", "1e5", "1,000", "2024/01/01", "12:30", ".5", "- 1", "1 2", "0x10",
                             "１２", "1-", "--1", "+"})
        EXPECT_FALSE(PlainDecimal(text)) << text;
    EXPECT_FALSE(PlainDecimal(std::string(400, '9'))) << "beyond the range of a number stays text";
}

TEST(NumberText, ShortestTextThatReadsBack) {
    EXPECT_EQ(NumberText(35), "35");
    EXPECT_EQ(NumberText(-3), "-3");
    EXPECT_EQ(NumberText(12.5), "12.5");
    EXPECT_EQ(NumberText(0.1), "0.1");
    EXPECT_EQ(NumberText(-0.0), "0");
}

TEST(Address, CellsRangesColumnsAndRows) {
    EXPECT_EQ(ParseAddress("C10"), (Rect{9, 2, 9, 2}));
    EXPECT_EQ(ParseAddress("A2:AL44"), (Rect{1, 0, 43, 37}));
    EXPECT_EQ(ParseAddress("$b$3:a1"), (Rect{0, 0, 2, 1}));
    EXPECT_EQ(ParseAddress("A:AL"), (Rect{0, 0, MaxRows - 1, 37}));
    EXPECT_EQ(ParseAddress("1:9"), (Rect{0, 0, 8, MaxColumns - 1}));
    EXPECT_EQ(ParseAddress("IV65536"), (Rect{65535, 255, 65535, 255}));
    for (const char* bad : {"", "A", "1", "A0", "IW1", "A65537", "A1:", ":B2", "A1:B2:C3", "A-1", "AAA1", "A 1", "A1B"}) {
        try {
            ParseAddress(bad);
            ADD_FAILURE() << "accepted " << bad;
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), 1004) << bad;
        }
    }
}

TEST(SheetName, RefusalsRaise1004WithTheReason) {
    const std::vector<std::string> others = {"Sheet1", "ＡＢＣ"};
    for (const std::string name : {"", "a:b", "a\\b", "a/b", "a?b", "a*b", "a[b", "a]b", "'quoted", "quoted'",
                                   "History", "history", "SHEET1", "sheet1", "ａｂｃ",
                                   "12345678901234567890123456789012"}) {
        try {
            CheckSheetName(name, others);
            ADD_FAILURE() << "accepted " << name;
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), 1004);
            EXPECT_NE(e.description().find("シート名"), std::string::npos) << name << ": " << e.description();
        }
    }
    for (const std::string name : {"Orders_ 1", "it's", "1234567890123456789012345678901", "テーブル名を三十一文字まで",
                                   "Sheet2", "Histories"})
        EXPECT_NO_THROW(CheckSheetName(name, others)) << name;
}

}  // namespace
}  // namespace kolumbra::sheet
