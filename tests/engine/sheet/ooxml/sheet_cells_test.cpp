// The cells of stored worksheet parts as other writers lay them out.

#include "engine/sheet/ooxml/sheet_cells.h"

#include <gtest/gtest.h>

namespace kolumbra::sheet::ooxml {
namespace {

const std::string kMain = "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"";

std::string Sheet(const std::string& rows) {
    return "<worksheet " + kMain + "><sheetData>" + rows + "</sheetData></worksheet>";
}

std::string Texts(const std::vector<StoredCell>& cells) {
    std::string out;
    for (const StoredCell& c : cells)
        out += std::to_string(c.row) + "," + std::to_string(c.column) + "=" +
               (c.number ? "#" + std::to_string(*c.number) : c.text) + ";";
    return out;
}

TEST(StoredCells, ReadAsOtherWritersLayThemOut) {
    const std::vector<std::string> shared = ReadSharedStrings(
        "<sst " + kMain + "><si><t>plain</t></si><si><r><t>ri</t></r><r><rPr/><t>ch</t></r>"
                          "<rPh sb=\"0\" eb=\"1\"><t>ﾖﾐ</t></rPh></si><si><t>a_x000D_b</t></si></sst>");
    ASSERT_EQ(shared, (std::vector<std::string>{"plain", "rich", "a\rb"}));
    const struct {
        const char* what;
        std::string rows;
        std::string expected;
    } cases[] = {
        {"shared, inline and rich", "<row r=\"7\"><c r=\"T7\" t=\"s\"><v>1</v></c><c r=\"AJ7\" t=\"inlineStr\"><is><t>T</t></is></c></row>",
         "6,19=rich;6,35=T;"},
        {"numbers, Booleans, errors, formula results",
         "<row r=\"2\"><c r=\"A2\"><v>1.5</v></c><c r=\"B2\" t=\"b\"><v>1</v></c><c r=\"C2\" t=\"e\"><v>#N/A</v></c>"
         "<c r=\"D2\" t=\"str\"><f>A1</f><v>x</v></c><c r=\"E2\" s=\"3\"/></row>",
         "1,0=#1.500000;1,1=TRUE;1,2=#N/A;1,3=x;"},
        {"rows and cells without references follow the ones before",
         "<row r=\"3\"><c r=\"B3\" t=\"s\"><v>0</v></c><c t=\"s\"><v>2</v></c></row><row><c><v>4</v></c></row>",
         "2,1=plain;2,2=a\rb;3,0=#4.000000;"},
    };
    for (const auto& c : cases) EXPECT_EQ(Texts(ReadStoredCells(Sheet(c.rows), shared)), c.expected) << c.what;
}

}  // namespace
}  // namespace kolumbra::sheet::ooxml
