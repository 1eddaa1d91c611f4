// The .xlsx/.xlsm back end on real workbooks of other writers: appending
// and replacing sheets keeps everything else, and packages that cannot be
// edited safely are refused with their own reason.

#include <gtest/gtest.h>

#include <functional>

#include "common/runtime_error.h"
#include "engine/sheet/ooxml/package.h"
#include "engine/sheet/ooxml/package_book.h"
#include "engine/sheet/ooxml/package_file.h"
#include "engine/sheet/ooxml/refusal.h"
#include "readers.h"
#include "temp_dir.h"

namespace kolumbra::sheet::ooxml {
namespace {

const std::string kFixtures = std::string(KOLUMBRA_FIXTURES) + "/xlsx/";
const std::string kCheck = std::string(KOLUMBRA_SOURCE_DIR) + "/tests/engine/sheet/ooxml/xlsx_check.py";

// A small page: texts, a number, a merge, borders and alignments.
void FillPage(SheetModel& model, const std::string& title) {
    model.SetText(0, 0, title);
    model.SetText(1, 1, "項　目　名 & <x>");
    model.SetNumber(2, 2, 4);
    model.SetNumber(3, 2, 0.1);
    model.Merge(Rect{4, 0, 4, 3});
    CellFormat framed;
    framed.top.style = line::Double;
    framed.top.colour = AutomaticColour;
    framed.hAlign = 2;
    framed.shrinkToFit = true;
    model.Touch(4, 0).format = framed;
    model.SetColumnWidth(0, 2.5);
    model.TouchRow(1).heightPoints = 18;
    model.Page().fitToPage = true;
}

std::unique_ptr<PackageBook> Open(const std::string& path) {
    return PackageBook::FromBytes(ReadWholeFile(path));
}

std::size_t PositionOf(const PackageBook& book, const std::string& name) {
    for (std::size_t i = 0; i < book.Sheets().size(); ++i)
        if (book.Sheets()[i].name == name) return i;
    return std::string::npos;
}

class EveryFixture : public ::testing::TestWithParam<std::string> {};

// Two tables appended page by page, then the same two again in a new
// binding, each replacing its sheet as after an OK to the question.
TEST_P(EveryFixture, KeepsEverythingThroughAppendAndReplace) {
    kolumbra::testing::TempDir dir;
    const std::string original = kFixtures + GetParam();
    const std::string path = dir.file(GetParam());
    kolumbra::testing::WriteBytes(path, kolumbra::testing::ReadBytes(original));
    const std::vector<std::string> tables = {"T_ORDERS", "T_日本語"};
    for (int round = 0; round < 2; ++round) {
        auto book = Open(path);
        for (const std::string& table : tables) {
            if (const std::size_t at = PositionOf(*book, table); at != std::string::npos) book->Delete(at);
            FillPage(book->AppendWorksheet(table), table + std::to_string(round));
            book->Save(path);
        }
        book->Compact(path);
    }
    std::string command = "/usr/bin/python3 " + kCheck + " kept '" + original + "' '" + path + "'";
    for (const std::string& table : tables) command += " '" + table + "'";
    EXPECT_EQ(sheet::testing::RunCommand(command), "");
    const std::string cells = sheet::testing::RunCommand("/usr/bin/python3 " + kCheck + " cells '" + path + "' T_ORDERS");
    EXPECT_EQ(cells, "A1\tstr\tT_ORDERS1\nB2\tstr\t項　目　名 & <x>\nC3\tint\t4\nC4\tfloat\t0.1\n");
}

INSTANTIATE_TEST_SUITE_P(Xlsx, EveryFixture,
                         ::testing::Values("gsheets-names-dv.xlsx", "mac2011-dialog-macro-sheets.xlsm",
                                           "xl2007-ja-16sheets.xlsx", "xl2013-28sheets-pivots.xlsx",
                                           "xl2013-stress-chartsheet-extlink.xlsx", "xl365-kitchen-sink.xlsx"));

}  // namespace
}  // namespace kolumbra::sheet::ooxml
