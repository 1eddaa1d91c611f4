// The cells of stored worksheet parts as other writers lay them out.

#include "engine/sheet/ooxml/sheet_cells.h"
#include "engine/sheet/ooxml/sheet_edit.h"

#include <gtest/gtest.h>

#include "common/runtime_error.h"

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
                          "<rPh sb=\"0\" eb=\"1\"><t>ﾖﾐ</t></rPh></si><si><t>a_x000D_b</t></si><si><t>_xD83D__xDE00_!_xD800_</t></si></sst>");
    ASSERT_EQ(shared, (std::vector<std::string>{"plain", "rich", "a\rb", "\U0001F600!\uFFFD"}));
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

// A cell set in place keeps its element and format, and new rows and
// cells go where their references put them, with the part's own prefix.
TEST(StoredCells, AreSetInPlace) {
    using Kind = StoredCellEdit::Kind;
    const struct {
        const char* what;
        std::string sheet;
        StoredCellEdit edit;
        std::string expected;  // in the part afterwards, or the refusal
    } cases[] = {
        {"a shared string becomes inline text, format kept", Sheet("<row r=\"2\"><c r=\"B2\" s=\"4\" t=\"s\"><v>0</v></c></row>"),
         {1, 1, Kind::Text, 0, "x_x0041_"}, "<c r=\"B2\" s=\"4\" t=\"inlineStr\"><is><t xml:space=\"preserve\">x_x005F_x0041_</t></is></c>"},
        {"the used range widened", "<worksheet " + kMain + "><dimension ref=\"B2:C3\"/><sheetData/></worksheet>",
         {4, 0, Kind::Text, 0, "h"}, "<dimension ref=\"A2:C5\"/>"},
        {"a new cell between two", Sheet("<row r=\"2\"><c r=\"A2\"/><c r=\"C2\"/></row>"), {1, 1, Kind::Number, 2.5, ""},
         "<c r=\"A2\"/><c r=\"B2\"><v>2.5</v></c><c r=\"C2\"/>"},
        {"a new row between two, prefixed", "<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                                            "<x:sheetData><x:row r=\"1\"/><x:row r=\"5\"/></x:sheetData></x:worksheet>",
         {2, 0, Kind::Number, 7, ""}, "<x:row r=\"1\"/><x:row r=\"3\"><x:c r=\"A3\"><x:v>7</x:v></x:c></x:row><x:row r=\"5\"/>"},
        {"a new cell in a formatted row, a carriage return", Sheet("<row r=\"1\" s=\"7\" customFormat=\"1\"/>"),
         {0, 2, Kind::Text, 0, "a\rb"}, "<c r=\"C1\" s=\"7\" t=\"inlineStr\"><is><t xml:space=\"preserve\">a_x000D_b</t>"},
        {"a picture in a cell replaced", Sheet("<row r=\"1\"><c r=\"A1\" t=\"e\" vm=\"1\"><v>#VALUE!</v></c></row>"),
         {0, 0, Kind::Number, 4, ""}, "<row r=\"1\"><c r=\"A1\"><v>4</v></c></row>"},
        {"a missing cell cleared", Sheet("<row r=\"2\"/>"), {0, 0, Kind::Empty, 0, ""}, "<sheetData><row r=\"2\"/></sheetData>"},
        {"a formula's value emptied", Sheet("<row r=\"1\"><c r=\"A1\" s=\"2\"><f>B1</f><v>3</v></c></row>"), {0, 0, Kind::Empty, 0, ""},
         "<c r=\"A1\" s=\"2\"/>"},
        {"a shared formula's anchor", Sheet("<row r=\"1\"><c r=\"A1\"><f t=\"shared\" ref=\"A1:A3\" si=\"0\">B1</f></c></row>"),
         {0, 0, Kind::Number, 1, ""}, "共有数式または配列数式の元になっているセルです。"},
        {"cells that do not say where they stand", Sheet("<row r=\"1\"><c><v>1</v></c></row>"), {0, 3, Kind::Number, 1, ""},
         "位置が書かれていないセルがあります。"},
    };
    for (const auto& c : cases) {
        XmlPart part;
        ParseXml(part, c.sheet);
        try {
            CheckStoredCell(part, "S", c.edit);
            SetStoredCell(part, "S", c.edit);
            EXPECT_NE(SerializeXml(part).find(c.expected), std::string::npos) << c.what << ": " << SerializeXml(part);
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.description(), "シート 'S' のセルの値を変更できません。" + c.expected) << c.what;
        }
    }
    XmlPart chain;
    ParseXml(chain, "<calcChain " + kMain + "><c r=\"A1\" i=\"3\"/><c r=\"A2\"/><c r=\"A1\" i=\"4\"/></calcChain>");
    EXPECT_TRUE(RemoveCellFromCalcChain(chain, 3, "A1"));
    EXPECT_NE(SerializeXml(chain).find("<c r=\"A2\" i=\"3\"/><c r=\"A1\" i=\"4\"/>"), std::string::npos) << SerializeXml(chain);
}

}  // namespace
}  // namespace kolumbra::sheet::ooxml
