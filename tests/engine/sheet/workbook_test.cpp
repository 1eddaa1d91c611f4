// The workbook engine through its automation-shaped interface; every saved
// workbook is read back by the engine, by xlrd and by the stream checker.

#include <gtest/gtest.h>

#include <algorithm>

#include "common/runtime_error.h"
#include "engine/sheet/biff/record_types.h"
#include "engine/sheet/biff/stream.h"
#include "engine/sheet/workbook.h"
#include "readers.h"
#include "temp_dir.h"

namespace kolumbra::sheet {
namespace {

using testing::ExpectSoundStream;
using testing::ReadWithXlrd;
using testing::WorkbookStreamOf;
using testing::XlrdBook;

void SetEngineFont(const std::string& name, double points) {
    auto setup = CreateWorkbook();
    setup->GetApplication().SetStandardFont(name);
    setup->GetApplication().SetStandardFontSize(points);
    setup->GetApplication().Quit();
}

int ErrorNumberOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

// The records of one sheet substream of a saved file.
biff::RecordList SheetRecords(const std::string& path, int sheet) {
    const biff::Bytes stream = WorkbookStreamOf(path);
    int seen = 0;
    for (const biff::Record& r : biff::ReadSubstream(stream, 0)) {
        if (r.type == biff::rt::BoundSheet && seen++ == sheet) return biff::ReadSubstream(stream, biff::GetU32(r.data, 0));
    }
    return {};
}

const biff::Record* Find(const biff::RecordList& records, std::uint16_t type) {
    const auto found = std::find_if(records.begin(), records.end(), [&](const biff::Record& r) { return r.type == type; });
    return found == records.end() ? nullptr : &*found;
}

class WorkbookTest : public ::testing::Test {
protected:
    void SetUp() override { SetEngineFont("ＭＳ 明朝", 10); }
    std::string file(const std::string& name) const { return dir.file(name); }
    // Saves, checks every offset and reads the file back with xlrd.
    XlrdBook SaveAndRead(Workbook& book, const std::string& name) {
        book.SaveAs(file(name));
        ExpectSoundStream(WorkbookStreamOf(file(name)));
        return ReadWithXlrd(file(name));
    }
    kolumbra::testing::TempDir dir;
};

TEST_F(WorkbookTest, NewWorkbookHasSheet1InTheStandardFontOfItsCreation) {
    auto before = CreateWorkbook();  // created while the font is ＭＳ 明朝 10
    SetEngineFont("Arial", 12);
    auto after = CreateWorkbook();
    EXPECT_EQ(after->GetApplication().StandardFont(), "Arial") << "the setting is engine-wide";
    EXPECT_EQ(before->GetApplication().StandardFontSize(), 12);
    ASSERT_EQ(after->GetSheets().Count(), 1);
    EXPECT_EQ(after->GetSheets().Item(1).Name(), "Sheet1");

    const XlrdBook old = SaveAndRead(*before, "before.xls");
    EXPECT_EQ(old.font0, "ＭＳ 明朝");
    EXPECT_EQ(old.font0Twips, 200);
    EXPECT_EQ(old.sheets, std::vector<std::string>{"Sheet1"});
    const XlrdBook fresh = SaveAndRead(*after, "after.xls");
    EXPECT_EQ(fresh.font0, "Arial");
    EXPECT_EQ(fresh.font0Twips, 240);
    EXPECT_EQ(ErrorNumberOf([&] { after->GetApplication().SetStandardFontSize(0); }), 1004);
}

TEST_F(WorkbookTest, DecimalTextBecomesANumberEverythingElseStaysText) {
    auto book = CreateWorkbook();
    Worksheet sheet = book->GetSheets().Item(1);
    const std::pair<const char*, const char*> written[] = {
        {" 1", "1"}, {"-3", "-3"}, {"12.50", "12.5"}, {"P", "P"}, {"PU", "PU"}, {"2024/01/01", "2024/01/01"},
        {"1e5", "1e5"}, {"項　目　名", "項　目　名"}, {"0.1", "0.1"}, {"123456789012", "123456789012"}};
    int row = 1;
    for (const auto& [text, back] : written) {
        sheet.Cells(row, 2).SetValue(text);
        EXPECT_EQ(sheet.Cells(row, 2).Value(), back) << text;
        ++row;
    }
    sheet.Cells(1, 3).SetValue("gone");
    sheet.Cells(1, 3).SetValue("");
    EXPECT_EQ(sheet.Cells(1, 3).Value(), "");
    EXPECT_EQ(sheet.Cells(99, 99).Value(), "");

    const XlrdBook read = SaveAndRead(*book, "values.xls");
    EXPECT_EQ(read.Cell(0, "B1").type, "number");
    EXPECT_EQ(read.Cell(0, "B1").value, "1.0");
    EXPECT_EQ(read.Cell(0, "B3").value, "12.5");
    EXPECT_EQ(read.Cell(0, "B4").type, "text");
    EXPECT_EQ(read.Cell(0, "B6").type, "text") << "never a date";
    EXPECT_EQ(read.Cell(0, "B8").value, "項　目　名");
    EXPECT_EQ(read.Cell(0, "B10").value, "123456789012.0");
    EXPECT_EQ(read.Cell(0, "C1").type, "") << "cleared cell is not written";

    book->GetApplication().Quit();
    auto bound = GetWorkbook(file("values.xls"));
    Worksheet again = bound->GetSheets().Item(1);
    row = 1;
    for (const auto& [text, back] : written) EXPECT_EQ(again.Cells(row++, 2).Value(), back) << "bound: " << text;
}

TEST_F(WorkbookTest, BorderCombinationsFollowTheLineStyleAndWeightRules) {
    auto book = CreateWorkbook();
    Worksheet sheet = book->GetSheets().Item(1);
    auto set = [&](const char* cell, int edge, int lineStyle, int weight) {
        Border b = sheet.GetRange(cell).Borders(edge);
        if (lineStyle) b.SetLineStyle(lineStyle);
        if (weight) b.SetWeight(weight);
        b.SetColorIndex(xl::ColorIndexAutomatic);
    };
    sheet.Cells(8, 1).SetValue("stored");  // A8, across B8's left edge
    set("B2", xl::EdgeTop, xl::Double, xl::Thin);
    set("B4", xl::EdgeTop, xl::Double, xl::Thick);
    set("B6", xl::EdgeBottom, xl::Continuous, xl::Hairline);
    set("B8", xl::EdgeLeft, 0, xl::Thin);
    set("B10", xl::EdgeLeft, 0, xl::Hairline);
    set("B12", xl::EdgeRight, 0, xl::Thick);
    set("B14", xl::EdgeRight, xl::Continuous, xl::Medium);
    sheet.GetRange("B16").Borders(xl::EdgeBottom).SetWeight(xl::Thin);  // weight alone, no colour set
    sheet.GetRange("B18").Borders(xl::EdgeTop).SetWeight(xl::Thick);
    sheet.GetRange("B18").Borders(xl::EdgeTop).SetLineStyle(xl::Continuous);  // keeps the weight
    set("B22", xl::EdgeBottom, xl::Double, xl::Thin);
    set("B23", xl::EdgeTop, xl::Continuous, xl::Hairline);  // the same line, from the cell below
    EXPECT_EQ(ErrorNumberOf([&] { sheet.GetRange("B20").Borders(xl::EdgeTop).SetWeight(3); }), 1004);
    EXPECT_EQ(ErrorNumberOf([&] { sheet.GetRange("B20").Borders(11); }), 1004);

    const XlrdBook read = SaveAndRead(*book, "borders.xls");
    EXPECT_EQ(read.Cell(0, "B2").top, 6);
    EXPECT_EQ(read.Cell(0, "B4").top, 6) << "double whatever the weight";
    EXPECT_EQ(read.Cell(0, "B6").bottom, 7);
    EXPECT_EQ(read.Cell(0, "B8").left, 1);
    EXPECT_EQ(read.Cell(0, "B10").left, 7);
    EXPECT_EQ(read.Cell(0, "B12").right, 5);
    EXPECT_EQ(read.Cell(0, "B14").right, 2);
    EXPECT_EQ(read.Cell(0, "B16").bottom, 1);
    EXPECT_EQ(read.Cell(0, "B16").bottomColour, 64) << "automatic colour by default";
    EXPECT_EQ(read.Cell(0, "B18").top, 5);
    EXPECT_EQ(read.Cell(0, "B2").topColour, 64);
    EXPECT_EQ(read.Cell(0, "B2").left, 0);
    // A stored neighbour across a line carries it too; an empty one is not
    // stored just for the line, which would widen the used area.
    EXPECT_EQ(read.Cell(0, "A8").right, 1);
    for (const char* empty : {"B1", "C12", "B7", "A10", "C14"}) EXPECT_EQ(read.Cell(0, empty).type, "") << empty;
    EXPECT_EQ(read.Cell(0, "B22").bottom, 7) << "the later line replaces the earlier one on both cells";
    EXPECT_EQ(read.Cell(0, "B23").top, 7);
}

TEST_F(WorkbookTest, EdgesOfARangeAndTheLinesBetweenItsRows) {
    auto book = CreateWorkbook();
    Worksheet sheet = book->GetSheets().Item(1);
    Range area = sheet.GetRange("B2:D5");
    area.Borders(xl::EdgeLeft).SetLineStyle(xl::Continuous);
    area.Borders(xl::EdgeRight).SetWeight(xl::Thick);
    area.Borders(xl::InsideHorizontal).SetWeight(xl::Hairline);
    area.SetHorizontalAlignment(xl::HAlignCenter);
    sheet.GetRange("C3").SetVerticalAlignment(xl::VAlignCenter);

    const XlrdBook read = SaveAndRead(*book, "range.xls");
    for (int r = 2; r <= 5; ++r) {
        const std::string row = std::to_string(r);
        EXPECT_EQ(read.Cell(0, "B" + row).left, 1) << r;
        EXPECT_EQ(read.Cell(0, "C" + row).left, 0) << r;
        EXPECT_EQ(read.Cell(0, "D" + row).right, 5) << r;
        EXPECT_EQ(read.Cell(0, "C" + row).bottom, r < 5 ? 7 : 0) << r;
        EXPECT_EQ(read.Cell(0, "C" + row).top, r > 2 ? 7 : 0) << r;
        EXPECT_EQ(read.Cell(0, "C" + row).hAlign, 2) << r;
    }
    EXPECT_EQ(read.Cell(0, "C3").vAlign, 1);
    EXPECT_EQ(read.Cell(0, "C4").vAlign, 2) << "bottom by default";
    for (const char* outside : {"A2", "E5", "C1", "C6"})
        EXPECT_EQ(read.Cell(0, outside).type, "") << outside << ": nothing is stored outside the range";
}

TEST_F(WorkbookTest, MergedAreasKeepTheTopLeftValueAndDrawAsWholeBoxes) {
    auto book = CreateWorkbook();
    Worksheet sheet = book->GetSheets().Item(1);
    sheet.Cells(2, 2).SetValue("kept");
    sheet.Cells(3, 3).SetValue("dropped");
    for (int edge : {xl::EdgeTop, xl::EdgeBottom, xl::EdgeLeft, xl::EdgeRight})
        sheet.GetRange("B2:D3").Borders(edge).SetLineStyle(xl::Continuous);
    sheet.GetRange("B2:D3").SetMergeCells(true);
    sheet.GetRange("F2:F2").SetMergeCells(true);  // one cell: no merged area
    sheet.GetRange("H2:I2").SetMergeCells(true);
    sheet.GetRange("I2:J3").SetMergeCells(true);  // overlaps: absorbs H2:I2
    sheet.Cells(2, 2).SetHorizontalAlignment(xl::HAlignLeft);  // the anchor aligns the whole area
    EXPECT_EQ(sheet.Cells(2, 2).Value(), "kept");
    EXPECT_EQ(sheet.Cells(3, 3).Value(), "");

    const XlrdBook read = SaveAndRead(*book, "merged.xls");
    auto merges = read.merges.at(0);
    std::sort(merges.begin(), merges.end());
    EXPECT_EQ(merges, (std::vector<std::array<int, 4>>{{1, 3, 1, 4}, {1, 3, 7, 10}}));
    EXPECT_EQ(read.Cell(0, "C2").type, "blank");
    EXPECT_EQ(read.Cell(0, "C2").top, 1);
    EXPECT_EQ(read.Cell(0, "D3").right, 1);
    EXPECT_EQ(read.Cell(0, "D3").bottom, 1);
    EXPECT_EQ(read.Cell(0, "C3").hAlign, 1);
}

TEST_F(WorkbookTest, MoreThan1026MergesGoIntoSeveralRecords) {
    auto book = CreateWorkbook();
    Worksheet sheet = book->GetSheets().Item(1);
    for (int r = 1; r <= 1100; ++r) sheet.GetRange("A" + std::to_string(r) + ":B" + std::to_string(r)).SetMergeCells(true);
    const XlrdBook read = SaveAndRead(*book, "merges.xls");
    EXPECT_EQ(read.merges.at(0).size(), 1100u);
    const biff::RecordList records = SheetRecords(file("merges.xls"), 0);
    std::vector<std::uint16_t> counts;
    for (const biff::Record& r : records)
        if (r.type == biff::rt::MergedCells) counts.push_back(biff::GetU16(r.data, 0));
    EXPECT_EQ(counts, (std::vector<std::uint16_t>{1026, 74}));
}

TEST_F(WorkbookTest, WidthsHeightsMarginsAndPageSetup) {
    auto book = CreateWorkbook();
    Worksheet sheet = book->GetSheets().Item(1);
    sheet.Columns("A:AL").SetColumnWidth(2);
    sheet.Rows("1:9").SetRowHeight(12);
    sheet.Rows("10:10").SetRowHeight(30);
    PageSetup page = sheet.GetPageSetup();
    page.SetLeftMargin(39.6);
    page.SetTopMargin(42.48);
    page.SetHeaderMargin(22.32);
    page.SetPaperSize(xl::PaperA4);
    page.SetOrientation(xl::Portrait);
    page.SetZoom(false);
    page.SetFitToPagesWide(1);
    page.SetFitToPagesTall(1);
    EXPECT_EQ(ErrorNumberOf([&] { sheet.Columns("A").SetColumnWidth(256); }), 1004);
    EXPECT_EQ(ErrorNumberOf([&] { sheet.Rows("1").SetRowHeight(410); }), 1004);

    const XlrdBook read = SaveAndRead(*book, "grid.xls");
    for (int c = 0; c < 38; ++c) EXPECT_EQ(read.widths.at({0, c}), 694) << c;
    EXPECT_EQ(read.widths.count({0, 38}), 0u) << "AM keeps the default width";
    for (int r = 0; r < 9; ++r) EXPECT_EQ(read.heights.at({0, r}), 240) << r;
    EXPECT_EQ(read.heights.at({0, 9}), 600);
    EXPECT_EQ(read.heights.count({0, 10}), 0u);

    const biff::RecordList records = SheetRecords(file("grid.xls"), 0);
    EXPECT_DOUBLE_EQ(biff::GetF64(Find(records, biff::rt::LeftMargin)->data, 0), 0.55);
    EXPECT_DOUBLE_EQ(biff::GetF64(Find(records, biff::rt::TopMargin)->data, 0), 0.59);
    const biff::Bytes& setup = Find(records, biff::rt::Setup)->data;
    ASSERT_EQ(setup.size(), 34u);
    EXPECT_EQ(biff::GetU16(setup, 0), 9);
    EXPECT_EQ(biff::GetU16(setup, 6), 1);
    EXPECT_EQ(biff::GetU16(setup, 8), 1);
    EXPECT_EQ(biff::GetU16(setup, 10), 0x0002) << "portrait, printer settings valid";
    EXPECT_DOUBLE_EQ(biff::GetF64(setup, 16), 0.31);
    EXPECT_EQ(biff::GetU16(Find(records, biff::rt::WsBool)->data, 0) & 0x0100, 0x0100) << "fit to page";
}

TEST_F(WorkbookTest, AppendDeleteSaveAndBindAgain) {
    auto created = CreateWorkbook();
    created->GetSheets().Item(1).Cells(1, 1).SetValue("first");
    created->SaveAs(file("book.xls"));
    created->GetApplication().Quit();

    auto book = GetWorkbook(file("book.xls"));
    Sheets sheets = book->GetSheets();
    Worksheet orders = sheets.Add(sheets.Item(sheets.Count()));
    orders.SetName("Orders_ 1");
    orders.Cells(2, 2).SetValue("値");
    orders.GetRange("A1:B1").SetMergeCells(true);
    Worksheet items = sheets.Add(sheets.Item(sheets.Count()));
    items.SetName("Items");
    items.Cells(3, 3).SetValue(" 42");
    EXPECT_EQ(sheets.Item(1).Cells(1, 1).Value(), "first") << "a stored sheet reads back";
    sheets.Item(1).Cells(1, 2).SetValue("second");  // a stored sheet of this engine can change too
    book->Save();
    book->GetApplication().Quit();

    auto again = GetWorkbook(file("book.xls"));
    Sheets all = again->GetSheets();
    ASSERT_EQ(all.Count(), 3);
    EXPECT_EQ(all.Item(2).Name(), "Orders_ 1");
    EXPECT_EQ(all.Item(2).Cells(2, 2).Value(), "値");
    EXPECT_EQ(all.Item(3).Cells(3, 3).Value(), "42");
    EXPECT_EQ(all.Item(1).Cells(1, 1).Value(), "first");
    EXPECT_EQ(all.Item(1).Cells(1, 2).Value(), "second");
    all.Item(2).Delete();
    all.Item(1).Delete();
    Worksheet last = all.Add(all.Item(all.Count()));
    last.Cells(1, 1).SetValue("first");  // a string already in the table
    EXPECT_EQ(last.Name(), "Sheet2") << "the first free name after the sheet count";
    again->Save();
    again->GetApplication().Quit();
    ExpectSoundStream(WorkbookStreamOf(file("book.xls")));

    const XlrdBook read = ReadWithXlrd(file("book.xls"));
    EXPECT_EQ(read.sheets, (std::vector<std::string>{"Items", "Sheet2"}));
    EXPECT_EQ(read.Cell(0, "C3").value, "42.0");
    EXPECT_EQ(read.Cell(1, "A1").value, "first");

    // Binding and saving without a change gives the same stream back.
    const biff::Bytes before = WorkbookStreamOf(file("book.xls"));
    auto unchanged = GetWorkbook(file("book.xls"));
    unchanged->Save();
    EXPECT_EQ(WorkbookStreamOf(file("book.xls")), before);
}

TEST_F(WorkbookTest, DeletingKeepsOneSheetAndTheActiveSheetValid) {
    auto book = CreateWorkbook();
    Sheets sheets = book->GetSheets();
    Worksheet only = sheets.Item(1);
    EXPECT_EQ(ErrorNumberOf([&] { only.Delete(); }), 1004) << "the last sheet stays";
    Worksheet second = sheets.Add(only);
    EXPECT_EQ(book->GetApplication().Selection().Value(), "");
    second.Delete();
    EXPECT_NE(ErrorNumberOf([&] { second.Name(); }), 0) << "a deleted sheet's object fails";
    EXPECT_NE(ErrorNumberOf([&] { second.Cells(1, 1).SetValue("x"); }), 0);
    book->GetApplication().Selection().SetValue("on the remaining sheet");
    EXPECT_EQ(only.Cells(1, 1).Value(), "on the remaining sheet");
}

TEST_F(WorkbookTest, RefusedSheetNamesLeaveTheSheetAsItWas) {
    auto book = CreateWorkbook();
    Sheets sheets = book->GetSheets();
    Worksheet first = sheets.Item(1);
    Worksheet second = sheets.Add(first);
    second.SetName("Orders");
    for (const char* bad : {"orders", "History", "a/b", "", "'x", "12345678901234567890123456789012"}) {
        try {
            first.SetName(bad);
            ADD_FAILURE() << "accepted " << bad;
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), 1004);
            EXPECT_FALSE(e.description().empty());
        }
        EXPECT_EQ(first.Name(), "Sheet1");
    }
    second.SetName("ORDERS");  // its own name in other letters
    first.SetName("1234567890123456789012345678901");
    const XlrdBook read = SaveAndRead(*book, "names.xls");
    EXPECT_EQ(read.sheets, (std::vector<std::string>{"1234567890123456789012345678901", "ORDERS"}));
}

TEST_F(WorkbookTest, SelectionFollowsSelectAndAdd) {
    auto book = CreateWorkbook();
    Application& app = book->GetApplication();
    Sheets sheets = book->GetSheets();
    Worksheet first = sheets.Item(1);
    first.GetRange("B2:C3").Select();
    app.Selection().Borders(xl::EdgeBottom).SetWeight(xl::Thin);
    Worksheet second = sheets.Add(first);
    EXPECT_EQ(ErrorNumberOf([&] { first.Cells(1, 1).Select(); }), 1004) << "only on the active sheet";
    app.Selection().SetValue("on the new sheet");
    EXPECT_EQ(second.Cells(1, 1).Value(), "on the new sheet");
    second.GetRange("D4").Select();

    const XlrdBook read = SaveAndRead(*book, "selection.xls");
    EXPECT_EQ(read.Cell(0, "B3").bottom, 1);
    EXPECT_EQ(read.Cell(0, "C3").bottom, 1);
    EXPECT_EQ(read.Cell(0, "C2").type, "") << "only the bottom edge of the selection";
    const biff::RecordList globals = biff::ReadSubstream(WorkbookStreamOf(file("selection.xls")), 0);
    const biff::Record* window = Find(globals, biff::rt::Window1);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(biff::GetU16(window->data, 10), 1) << "the added sheet is active";
    const biff::RecordList stored = SheetRecords(file("selection.xls"), 0);
    const biff::RecordList added = SheetRecords(file("selection.xls"), 1);
    EXPECT_EQ(biff::GetU16(Find(stored, biff::rt::Window2)->data, 0) & 0x0600, 0);
    EXPECT_EQ(biff::GetU16(Find(added, biff::rt::Window2)->data, 0) & 0x0600, 0x0600);
    const biff::Bytes& selection = Find(added, biff::rt::Selection)->data;
    EXPECT_EQ(biff::GetU16(selection, 1), 3);
    EXPECT_EQ(biff::GetU16(selection, 3), 3);

    book->GetApplication().Quit();
    auto bound = GetWorkbook(file("selection.xls"));
    bound->GetApplication().Selection().SetValue("bound");
    EXPECT_EQ(bound->GetSheets().Item(2).Cells(4, 4).Value(), "bound") << "the stored selection";
}

TEST_F(WorkbookTest, WindowSettingsGoIntoTheWorkbookWindow) {
    auto book = CreateWorkbook();
    book->Windows(1).SetVisible(false);
    book->Windows(1).SetWindowState(xl::Maximized);
    EXPECT_EQ(ErrorNumberOf([&] { book->Windows(2); }), 9);
    book->SaveAs(file("window.xls"));
    const biff::RecordList hidden = biff::ReadSubstream(WorkbookStreamOf(file("window.xls")), 0);
    EXPECT_EQ(biff::GetU16(Find(hidden, biff::rt::Window1)->data, 8) & 0x03, 0x01);
    book->Windows(1).SetVisible(true);
    book->Save();
    const biff::RecordList shown = biff::ReadSubstream(WorkbookStreamOf(file("window.xls")), 0);
    EXPECT_EQ(biff::GetU16(Find(shown, biff::rt::Window1)->data, 8) & 0x03, 0x00);
}

TEST_F(WorkbookTest, QuitEndsTheInstanceAndDropsUnsavedChanges) {
    auto book = CreateWorkbook();
    Worksheet sheet = book->GetSheets().Item(1);
    sheet.Cells(1, 1).SetValue("saved");
    book->SaveAs(file("quit.xls"));
    sheet.Cells(1, 1).SetValue("unsaved");
    Application& app = book->GetApplication();
    app.Quit();
    app.Quit();  // a second Quit does nothing
    EXPECT_NE(ErrorNumberOf([&] { sheet.Cells(1, 1).Value(); }), 0);
    EXPECT_NE(ErrorNumberOf([&] { book->Save(); }), 0);
    EXPECT_NE(ErrorNumberOf([&] { book->GetSheets(); }), 0);
    EXPECT_NE(ErrorNumberOf([&] { app.Selection(); }), 0);
    auto bound = GetWorkbook(file("quit.xls"));
    EXPECT_EQ(bound->GetSheets().Item(1).Cells(1, 1).Value(), "saved");
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) left.push_back(entry.path().filename());
    EXPECT_EQ(left, std::vector<std::string>{"quit.xls"}) << "no temporary file stays behind";
}

}  // namespace
}  // namespace kolumbra::sheet
