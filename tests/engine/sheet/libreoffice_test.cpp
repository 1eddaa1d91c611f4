// The full table-definition page, drawn by the export's page builder, read
// back by LibreOffice and by xlrd. LibreOffice takes seconds a file: few tests here.

#include <gtest/gtest.h>

#include "engine/sheet/workbook.h"
#include "form_page.h"
#include "readers.h"
#include "temp_dir.h"

namespace kolumbra::sheet {
namespace {

TEST(LibreOffice, PagesAppendedToABoundWorkbookReadBackWhole) {
    kolumbra::testing::TempDir dir;
    const std::string path = dir.file("table.xls");
    kolumbra::testing::WriteTwoFormPages(path);
    testing::ExpectSoundStream(testing::WorkbookStreamOf(path));

    const testing::LibreOfficeBook lo = testing::ReadWithLibreOffice(path, dir.path().string());
    EXPECT_EQ(lo.sheets, (std::vector<std::string>{"Sheet1", "T_SAMPLE_ 1", "T_SAMPLE_ 2"}));
    for (int sheet : {1, 2}) {
        // The blocks, and per field row number, name, type, bytes and remarks.
        EXPECT_EQ(lo.merges.at(sheet).size(), 18u + 5 * 34u);
        for (const char* merged : {"AA10:AL10", "E44:N44", "U11:W11", "AA27:AL27"})
            EXPECT_EQ(lo.merges.at(sheet).count(merged), 1u) << merged;
        EXPECT_EQ(lo.values.at({sheet, "E10"}), "項　目　名");
        EXPECT_EQ(lo.values.at({sheet, "I8"}), "【 ﾃﾞｰﾀ･ﾌﾞﾛｯｸ･ｻｲｽﾞ 】");
        EXPECT_EQ(lo.values.at({sheet, "X11"}), "4") << "sizes are numbers";
        EXPECT_EQ(lo.values.at({sheet, "C11"}), "PU");
        EXPECT_EQ(lo.values.at({sheet, "AA12"}), "項目の説明");
        const auto margins = lo.margins.at(sheet);
        EXPECT_NEAR(margins[0], 0.55, 0.005);
        EXPECT_NEAR(margins[1], 0.45, 0.005);
        EXPECT_NEAR(margins[2], 0.59, 0.005);
        EXPECT_NEAR(margins[3], 0.48, 0.005);
    }
    EXPECT_EQ(lo.values.at({2, "A11"}), "35");

    const testing::XlrdBook x = testing::ReadWithXlrd(path);
    EXPECT_EQ(x.font0, "ＭＳ 明朝");
    EXPECT_EQ(x.merges.at(2).size(), 18u + 5 * 34u);
    EXPECT_EQ(x.Cell(2, "A11").top, 6) << "double line under the column headers";
    EXPECT_EQ(x.Cell(2, "A10").bottom, 6);
    EXPECT_EQ(x.Cell(2, "D20").left, 7) << "hairline left of the index mark";
    EXPECT_EQ(x.Cell(2, "E20").hAlign, 1);
    EXPECT_EQ(x.Cell(2, "AC5").hAlign, 2) << "the author box stays centred";
    EXPECT_EQ(x.Cell(2, "AA11").hAlign, 3) << "a remark too long for its box";
    EXPECT_EQ(x.Cell(2, "A10").vAlign, 1);
    EXPECT_EQ(x.widths.at({2, 37}), 694);
    EXPECT_EQ(x.heights.at({2, 43}), 400);
}

}  // namespace
}  // namespace kolumbra::sheet
