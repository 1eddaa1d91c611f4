// The values of cells other applications wrote (shared and inline strings,
// rich text, RK and number cells, formulas with their results) read back
// through the object model as an independent reader reads them, each with
// the number format its record's XF names.

#include <gtest/gtest.h>

#include "common/runtime_error.h"
#include "engine/sheet/workbook.h"
#include "foreign_files.h"
#include "readers.h"

namespace kolumbra::sheet::testing {
namespace {

constexpr int RowsCompared = 120;

std::string A1(int row, int column) {
    std::string letters;
    for (int c = column + 1; c > 0; c = (c - 1) / 26) letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
    return letters + std::to_string(row + 1);
}

TEST(ForeignCellValues, EveryStoredValueReadsAsXlrdReadsIt) {
    int compared = 0;
    for (const auto& path : ForeignFixtures()) {
        SCOPED_TRACE(path.filename().string());
        std::shared_ptr<Workbook> book;
        try {
            book = GetWorkbook(path.string());
        } catch (const RuntimeError&) {
            continue;  // refused workbooks have tests of their own
        }
        const XlrdBook xlrd = ReadWithXlrd(path.string());
        Sheets sheets = book->GetSheets();
        for (int s = 0; s < static_cast<int>(xlrd.sheets.size()) && s < sheets.Count(); ++s) {
            const Range range = sheets.Item(s + 1).GetRange("A1:IV" + std::to_string(RowsCompared));
            const auto values = range.Values();
            const auto makeups = range.Makeups();
            for (int r = 0; r < RowsCompared; ++r) {
                for (int c = 0; c < 256; ++c) {
                    const std::string& ours = values[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
                    const XlrdCell theirs = xlrd.Cell(s, A1(r, c));
                    SCOPED_TRACE(xlrd.sheets[static_cast<std::size_t>(s)] + "!" + A1(r, c));
                    if (theirs.type == "number") {
                        EXPECT_EQ(std::stod(ours.empty() ? "nan" : ours), std::stod(theirs.value));
                    } else if (theirs.type == "other") {
                        EXPECT_NE(ours, "") << "a Boolean, error or date value";
                    } else {
                        EXPECT_EQ(ours, theirs.type == "text" ? theirs.value : "");
                    }
                    if (theirs.numberFormat >= 0) {
                        EXPECT_EQ(makeups[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)].numberFormat,
                                  theirs.numberFormat);
                    }
                    compared += ours.empty() ? 0 : 1;
                }
            }
        }
        book->GetApplication().Quit();
    }
    EXPECT_GT(compared, 1000);
}

}  // namespace
}  // namespace kolumbra::sheet::testing
