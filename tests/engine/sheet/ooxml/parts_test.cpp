// The edits of single parts: sheet references in formulas, relationship
// targets, the calculation chain, sheet positions in the workbook part,
// reused cell formats, the worksheet titles, and saves that append.

#include <gtest/gtest.h>

#include "engine/sheet/ooxml/app_properties.h"
#include "engine/sheet/ooxml/package.h"
#include "engine/sheet/ooxml/package_book.h"
#include "engine/sheet/ooxml/relationships.h"
#include "engine/sheet/ooxml/sheet_removal.h"
#include "engine/sheet/ooxml/styles.h"
#include "engine/sheet/ooxml/workbook_part.h"
#include "readers.h"
#include "temp_dir.h"

namespace kolumbra::sheet::ooxml {
namespace {

const std::string kFixtures = std::string(KOLUMBRA_FIXTURES) + "/xlsx/";

XmlPart Parsed(const std::string& xml) {
    XmlPart part;
    part.name = "test.xml";
    ParseXml(part, xml);
    return part;
}

// `text` in UTF-16, big- or little-endian.
std::string Utf16(std::string_view text, bool bigEndian) {
    std::string out;
    for (char c : text) out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return out;
}

// A part edited and written back stays in the encoding its declaration
// names, with or without its byte order mark, as an XML parser other than
// ours reads it.
TEST(XmlParts, AreWrittenBackInTheEncodingTheyWereReadIn) {
    const std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-16\"?><sheets><sheet name=\"A\"/></sheets>";
    const struct {
        const char* what;
        std::string text;
        std::string start;  // of the part written back
    } cases[] = {
        {"UTF-16 big-endian", Utf16(xml, true), std::string("\0<", 2)},
        {"UTF-16 big-endian with a mark", "\xFE\xFF" + Utf16(xml, true), "\xFE\xFF"},
        {"UTF-16 little-endian with a mark", "\xFF\xFE" + Utf16(xml, false), "\xFF\xFE"},
        {"UTF-8 with a mark", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?><sheets><sheet name=\"A\"/></sheets>",
         "\xEF\xBB"},
        // Latin-1 cannot hold the name added: the part becomes UTF-8.
        {"Latin-1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><sheets><sheet name=\"A\"/></sheets>", "<?"},
        // Shift-JIS, which the parser does not know, is read converted.
        {"Shift-JIS", "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><sheets><sheet name=\"A\"/><x>\x93\xfa</x></sheets>", "<?"},
    };
    for (const auto& c : cases) {
        kolumbra::testing::TempDir dir;
        XmlPart part = Parsed(c.text);
        if (part.doc.document_element().child("x")) {
            EXPECT_STREQ(part.doc.document_element().child_value("x"), "日") << c.what;
        }
        part.doc.document_element().append_child("sheet").append_attribute("name") = "T_日本語";
        const std::string written = SerializeXml(part);
        EXPECT_EQ(written.substr(0, 2), c.start) << c.what;
        kolumbra::testing::WriteBytes(dir.file("part.xml"), written);
        EXPECT_EQ(sheet::testing::RunCommand("/usr/bin/python3 -c \"import sys,xml.dom.minidom as m; "
                                             "print([s.getAttribute('name') for s in m.parse(sys.argv[1])"
                                             ".getElementsByTagName('sheet')])\" '" + dir.file("part.xml") + "'"),
                  "['A', 'T_日本語']\n")
            << c.what;
    }
}

TEST(SheetReferences, FindTheSheetAndNoOtherOfALikeName) {
    const struct {
        const char *formula, *sheet;
        bool refers;
    } cases[] = {{"SUM(Data!A1:B2)", "Data", true},
                 {"SUM(data!A1)", "Data", true},
                 {"'My Data'!A1+1", "My Data", true},
                 {"'It''s'!A1", "It's", true},
                 {"SUM(Jan:Mar!B2)", "Jan", true},
                 {"SUM(Jan:Mar!B2)", "Mar", true},
                 {"SUM('Jan 1:Mar 1'!B2)", "Mar 1", true},
                 {"MyData!A1", "Data", false},
                 {"Data_2!A1", "Data", false},
                 {"[1]Data!A1", "Data", false},
                 {"\"Data\"&A1", "Data", false},
                 {"Data", "Data", false}};
    for (const auto& c : cases) EXPECT_EQ(FormulaRefersTo(c.formula, c.sheet), c.refers) << c.formula;
    EXPECT_TRUE(FormulaRefersToTable("SUM(Sales[Amount])", "Sales"));
    EXPECT_TRUE(FormulaRefersToTable("SUM(sales[[#This Row],[Amount]])", "Sales"));
    EXPECT_FALSE(FormulaRefersToTable("SUM(MySales[Amount])", "Sales"));
    // Ranges of sheets, which an inserted sheet could widen.
    for (const char* spans : {"SUM(Jan:Dec!B2)", "SUM('Jan 1:Dec 31'!B2)", "1+Q1:Q4!A1", "SUM('Bob''s:Al''s'!A1)"})
        EXPECT_TRUE(FormulaSpansSheets(spans)) << spans;
    for (const char* single : {"SUM(Jan!B2:C3)", "'It''s'!A1+'A b'!A1:B2", "[1]Jan!A1", "A1:B2"})
        EXPECT_FALSE(FormulaSpansSheets(single)) << single;
}

TEST(RelationshipTargets, ResolveAndWriteRelativeToTheSource) {
    EXPECT_EQ(ResolveTarget("xl/workbook.xml", "worksheets/sheet1.xml"), "xl/worksheets/sheet1.xml");
    EXPECT_EQ(ResolveTarget("xl/worksheets/sheet1.xml", "../drawings/drawing1.xml"), "xl/drawings/drawing1.xml");
    EXPECT_EQ(ResolveTarget("xl/workbook.xml", "/xl/styles.xml"), "xl/styles.xml");
    EXPECT_EQ(ResolveTarget("", "xl/work%20book.xml"), "xl/work book.xml");
    EXPECT_EQ(RelationshipsPartOf("xl/workbook.xml"), "xl/_rels/workbook.xml.rels");
    EXPECT_EQ(RelationshipsPartOf(""), "_rels/.rels");
    EXPECT_EQ(RelativeTarget("xl/workbook.xml", "xl/worksheets/sheet9.xml"), "worksheets/sheet9.xml");
    EXPECT_EQ(RelativeTarget("book/workbook.xml", "xl/worksheets/sheet9.xml"), "/xl/worksheets/sheet9.xml");
}

// An entry without i belongs to the sheet of the entry before it: when that
// one goes, the entry keeps its sheet by an i of its own.
TEST(CalcChain, RemovesTheSheetsEntriesAndKeepsTheOthersSheets) {
    XmlPart chain = Parsed("<calcChain><c r=\"A1\" i=\"1\"/><c r=\"A2\" i=\"3\"/><c r=\"A3\"/><c r=\"B1\" i=\"1\"/></calcChain>");
    EXPECT_TRUE(RemoveFromCalcChain(chain, 3));
    EXPECT_EQ(SerializeXml(chain), "<calcChain><c r=\"A1\" i=\"1\"/><c r=\"B1\" i=\"1\"/></calcChain>");
    XmlPart inherited = Parsed("<calcChain><c r=\"A1\" i=\"2\"/><c r=\"A2\" i=\"1\"/><c r=\"A3\"/></calcChain>");
    EXPECT_TRUE(RemoveFromCalcChain(inherited, 2));
    EXPECT_EQ(SerializeXml(inherited), "<calcChain><c r=\"A2\" i=\"1\"/><c r=\"A3\"/></calcChain>");
    XmlPart only = Parsed("<calcChain><c r=\"A1\" i=\"4\"/><c r=\"A2\"/></calcChain>");
    EXPECT_FALSE(RemoveFromCalcChain(only, 4));
}

TEST(WorkbookPart, RemovingOrInsertingASheetRenumbersLocalNamesAndTabs) {
    XmlPart workbook = Parsed(
        "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
        "<bookViews><workbookView activeTab=\"2\" firstSheet=\"1\"/></bookViews><sheets>"
        "<sheet name=\"A\" sheetId=\"1\" r:id=\"rId1\"/><sheet name=\"B\" sheetId=\"5\" r:id=\"rId2\"/>"
        "<sheet name=\"C\" sheetId=\"3\" r:id=\"rId3\"/></sheets><definedNames>"
        "<definedName name=\"_xlnm.Print_Area\" localSheetId=\"1\">B!$A$1</definedName>"
        "<definedName name=\"_xlnm.Print_Area\" localSheetId=\"2\">C!$A$1</definedName>"
        "<definedName name=\"all\">A!$A$1</definedName></definedNames></workbook>");
    RemoveSheetAt(workbook, 1);
    const std::vector<SheetListing> sheets = ListSheets(workbook);
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_EQ(sheets[1].name, "C");
    const std::vector<DefinedName> names = DefinedNames(workbook);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0].formula, "C!$A$1");
    EXPECT_EQ(names[0].localSheet, 1);
    EXPECT_EQ(names[1].localSheet, -1);
    EXPECT_EQ(InsertSheet(workbook, 2, "D", "rId9"), 4u) << "one more than the largest sheetId";
    const pugi::xml_node view = workbook.doc.document_element().child("bookViews").child("workbookView");
    EXPECT_EQ(view.attribute("activeTab").as_int(), 1);
    EXPECT_EQ(view.attribute("firstSheet").as_int(), 1);
    // Inserted before C: C's tab and its own names move with it.
    EXPECT_EQ(InsertSheet(workbook, 1, "E", "rId10"), 5u);
    EXPECT_EQ(ListSheets(workbook)[1].name, "E");
    EXPECT_EQ(ListSheets(workbook)[2].name, "C");
    EXPECT_EQ(DefinedNames(workbook)[0].localSheet, 2);
    EXPECT_EQ(view.attribute("activeTab").as_int(), 2);
}

// The styles of a workbook bound again hold the formats added before: a
// thousand tables do not add a thousand sets of formats.
TEST(StyleTable, FindsTheFormatsItAddedBeforeInAnotherBinding) {
    Package package(kolumbra::testing::ReadBytes(kFixtures + "xl2007-ja-16sheets.xlsx"));
    XmlPart styles;
    styles.name = "xl/styles.xml";
    ParseXml(styles, package.Read(styles.name));
    CellFormat framed;
    framed.left = {line::Thin, AutomaticColour};
    framed.bottom = {line::Double, AutomaticColour};
    framed.hAlign = 2;
    framed.shrinkToFit = true;
    CellFormat hair = framed;
    hair.left.style = line::Hair;
    StyleTable first(styles);
    const unsigned a = first.XfOf(framed), b = first.XfOf(hair);
    EXPECT_NE(a, b);
    EXPECT_EQ(first.XfOf(CellFormat{}), 0u);
    XmlPart again;
    again.name = styles.name;
    ParseXml(again, SerializeXml(styles));
    StyleTable second(again);
    EXPECT_EQ(second.XfOf(framed), a);
    EXPECT_EQ(second.XfOf(hair), b);
    EXPECT_FALSE(again.dirty);
}

TEST(AppProperties, TitlesGoIntoTheWorksheetGroupWhateverItsHeading) {
    Package package(kolumbra::testing::ReadBytes(kFixtures + "mac2011-dialog-macro-sheets.xlsm"));
    XmlPart app;
    app.name = "docProps/app.xml";
    ParseXml(app, package.Read(app.name));
    AddWorksheetTitle(app, {"Sheet1"}, "T_受注");
    const std::string xml = SerializeXml(app);
    EXPECT_NE(xml.find("<vt:lpstr>Worksheets</vt:lpstr></vt:variant><vt:variant><vt:i4>2</vt:i4>"), std::string::npos);
    EXPECT_NE(xml.find("<vt:vector size=\"5\" baseType=\"lpstr\"><vt:lpstr>Sheet1</vt:lpstr><vt:lpstr>T_受注</vt:lpstr>"
                       "<vt:lpstr>Macro1</vt:lpstr>"),
              std::string::npos);
    XmlPart untouched = Parsed(xml);
    AddWorksheetTitle(untouched, {"Other"}, "T_2");
    EXPECT_FALSE(untouched.dirty) << "no group holds exactly the worksheets";
}

// A save after the first goes in place: it writes into the hole and cuts
// the file short, and until it is cut the file is the version before.
TEST(PackageSaves, GoInPlaceIntoTheFileTheLastSaveWrote) {
    kolumbra::testing::TempDir dir;
    const std::string path = dir.file("book.xlsx");
    kolumbra::testing::WriteBytes(path, kolumbra::testing::ReadBytes(kFixtures + "gsheets-names-dv.xlsx"));
    auto book = PackageBook::FromBytes(kolumbra::testing::ReadBytes(path));
    SheetModel first, second;
    first.SetText(0, 0, "one");
    second.SetNumber(0, 0, 2);
    book->AppendWorksheet("One", &first);
    book->Save(path);
    const std::string before = kolumbra::testing::ReadBytes(path);
    book->AppendWorksheet("Two", &second);
    book->Save(path);
    const std::string after = kolumbra::testing::ReadBytes(path);
    EXPECT_LT(after.size(), before.size());
    EXPECT_EQ(after.substr(after.size() - EndRecordSize, 4), EndRecordSignature);
    EXPECT_TRUE(book->HoldsUnusedParts());
    EXPECT_EQ(PackageBook::FromBytes(after)->Sheets().back().name, "Two");
    // A save killed before the file was cut: the previous directory and
    // end record still end it.
    const std::string uncut = after + before.substr(after.size());
    EXPECT_EQ(PackageBook::FromBytes(uncut)->Sheets().back().name, "One");
    book->Compact(path);
    EXPECT_FALSE(book->HoldsUnusedParts());
    EXPECT_LT(kolumbra::testing::ReadBytes(path).size(), after.size());
    EXPECT_EQ(PackageBook::FromBytes(kolumbra::testing::ReadBytes(path))->Sheets().back().name, "Two");

    // Directories far larger than an end record's comment could hold still
    // go in place: the file is written whole only when its hole, which grows
    // with it, runs out.
    Package package(kolumbra::testing::ReadBytes(path));
    int wholeWrites = 0;
    for (int i = 0; i < 1500; ++i) {
        package.Write("xl/worksheets/sheet" + std::to_string(i + 10) + ".xml", "<worksheet/>");
        Placement placed;
        if (const std::optional<InPlaceSave> save = package.InPlace(placed)) {
            package.Committed(*save, std::move(placed));
        } else {
            ++wholeWrites;
            std::string whole = package.WholeFile(placed, true);
            package.Committed(std::move(whole), std::move(placed));
        }
    }
    EXPECT_LT(wholeWrites, 30);
    Placement placed;
    EXPECT_EQ(Package(package.WholeFile(placed, false)).Read("xl/worksheets/sheet1509.xml"), "<worksheet/>");
}

// A workbook whose writer left out the styles, or the lists a cell format
// refers to, gets them for the form's formats: in the order the schema
// gives, with the default entries first so that cells of format 0 stay
// plain, and with one relationship to the part.
TEST(StyleTable, AddsWhatTheWriterLeftOut) {
    const struct {
        const char* what;
        const char* styles;  // nullptr: no styles part
    } cases[] = {
        {"no styles part", nullptr},
        {"empty styles", "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"/>"},
        {"no fills or borders",
         "<x:styleSheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><x:fonts count=\"1\">"
         "<x:font><x:sz val=\"10\"/></x:font></x:fonts><x:cellXfs count=\"1\"><x:xf fontId=\"0\"/></x:cellXfs>"
         "<x:cellStyles count=\"0\"/></x:styleSheet>"},
    };
    for (const auto& c : cases) {
        kolumbra::testing::TempDir dir;
        Package package(kolumbra::testing::ReadBytes(kFixtures + "gsheets-names-dv.xlsx"));
        package.Remove("xl/styles.xml");
        if (c.styles) package.Write("xl/styles.xml", c.styles);
        Placement placed;
        auto book = PackageBook::FromBytes(package.WholeFile(placed, false));
        SheetModel model;
        CellFormat framed;
        framed.top = {line::Thin, AutomaticColour};
        model.Touch(0, 0).format = framed;
        model.SetText(1, 0, "plain");
        book->AppendWorksheet("T_1", &model);
        book->SaveWhole(dir.file("book.xlsx"), false);
        const Package saved(kolumbra::testing::ReadBytes(dir.file("book.xlsx")));
        const std::string rels = saved.Read("xl/_rels/workbook.xml.rels");
        EXPECT_EQ(rels.find("relationships/styles"), rels.rfind("relationships/styles")) << c.what;
        const std::string types = saved.Read("[Content_Types].xml");
        EXPECT_NE(types.find("/xl/styles.xml"), std::string::npos) << c.what;
        EXPECT_EQ(types.find("/xl/styles.xml"), types.rfind("/xl/styles.xml")) << c.what;
        std::string order;
        for (const pugi::xml_node list : Parsed(saved.Read("xl/styles.xml")).doc.document_element().children())
            order += std::string(LocalName(list)) + " ";
        EXPECT_EQ(order.substr(0, 40), "fonts fills borders cellStyleXfs cellXfs") << c.what;
        EXPECT_EQ(sheet::testing::RunCommand(
                      "/usr/bin/python3 -c \"import openpyxl,sys; s=openpyxl.load_workbook(sys.argv[1], read_only=True)['T_1']; "
                      "print(s['A1'].border.top.style, s['A2'].border.top.style, s['A2'].value)\" '" +
                      dir.file("book.xlsx") + "'"),
                  "thin None plain\n")
            << c.what;
    }
}

}  // namespace
}  // namespace kolumbra::sheet::ooxml
