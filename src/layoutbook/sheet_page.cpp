#include "layoutbook/sheet_page.h"

#include <string>
#include <vector>

#include "common/runtime_error.h"
#include "common/text.h"
#include "layoutbook/remarks_text.h"

namespace kolumbra {

namespace {

using sheet::Worksheet;
namespace xl = sheet::xl;

void setEdge(Worksheet& sheet, const std::string& address, int edge, int lineStyle, int weight) {
    auto border = sheet.GetRange(address).Borders(edge);
    border.SetLineStyle(lineStyle);
    border.SetWeight(weight);
    border.SetColorIndex(xl::ColorIndexAutomatic);
}

// A left rule whose weight alone is set: the engine draws it continuous in
// the automatic colour.
void setLeftWeight(Worksheet& sheet, const std::string& address, int weight) {
    sheet.GetRange(address).Borders(xl::EdgeLeft).SetWeight(weight);
}

void merge(Worksheet& sheet, const std::string& address) { sheet.GetRange(address).SetMergeCells(true); }

void mergeEachRow(Worksheet& sheet, const std::string& firstColumn, const std::string& lastColumn) {
    for (int row = FirstFieldRow; row < FirstFieldRow + FieldsPerPage; ++row) {
        const std::string r = std::to_string(row);
        merge(sheet, firstColumn + r + ":" + lastColumn + r);
    }
}

void writeLeft(Worksheet& sheet, int row, int column, const std::string& text) {
    sheet.Cells(row, column).SetText(text);
    sheet.Cells(row, column).SetHorizontalAlignment(xl::HAlignLeft);
}

void drawGrid(Worksheet& sheet) {
    sheet.Columns("A:AL").SetColumnWidth(2);
    sheet.Rows("1:9").SetRowHeight(12);
    sheet.Rows("10:10").SetRowHeight(30);
    sheet.Rows("11:44").SetRowHeight(20);
}

// The margins of the printed form. The form is larger than an A4 page inside
// them, so the page setup also fits it to one page each way.
void setUpPage(Worksheet& sheet) {
    auto setup = sheet.GetPageSetup();
    setup.SetLeftMargin(39.6);
    setup.SetRightMargin(32.4);
    setup.SetTopMargin(42.48);
    setup.SetBottomMargin(34.56);
    setup.SetHeaderMargin(22.32);
    setup.SetFooterMargin(18);
    setup.SetPaperSize(xl::PaperA4);
    setup.SetOrientation(xl::Portrait);
    setup.SetZoom(false);
    setup.SetFitToPagesWide(1);
    setup.SetFitToPagesTall(1);
}

void drawFrame(Worksheet& sheet) {
    setEdge(sheet, "A2:AL44", xl::EdgeTop, xl::Double, xl::Thin);
    setEdge(sheet, "A2:AL44", xl::EdgeBottom, xl::Continuous, xl::Thin);
    setEdge(sheet, "A2:AL44", xl::EdgeLeft, xl::Continuous, xl::Thin);
    setEdge(sheet, "A2:AL44", xl::EdgeRight, xl::Continuous, xl::Thin);
    // Centred is the default every later left alignment overrides.
    sheet.GetRange("A2:AL44").SetHorizontalAlignment(xl::HAlignCenter);
}

void drawFieldAreaLines(Worksheet& sheet) {
    setEdge(sheet, "A11:AL43", xl::EdgeTop, xl::Double, xl::Thick);
    setEdge(sheet, "A11:AL43", xl::EdgeBottom, xl::Continuous, xl::Thin);
    setEdge(sheet, "A11:AL43", xl::InsideHorizontal, xl::Continuous, xl::Thin);
}

void drawHeaderRules(Worksheet& sheet) {
    for (const char* address : {"A5:AL5", "A7:AL7", "A9:AL9", "M2:AL2", "AC3:AL3"}) {
        setEdge(sheet, address, xl::EdgeBottom, xl::Continuous, xl::Thin);
    }
}

void drawVerticalRules(Worksheet& sheet) {
    for (const char* address : {"M2:M5", "R2:R5", "T2:T7", "W2:W5", "Z2:Z5", "AC2:AC5", "I8:I9", "Q8:Q9", "Y8:Y9", "AF8:AF9"}) {
        setLeftWeight(sheet, address, xl::Thin);
    }
    const std::vector<std::pair<const char*, int>> fieldRules = {
        {"C10:C44", xl::Thin},  {"D11:D44", xl::Hairline}, {"E10:E44", xl::Thin},   {"O10:O44", xl::Thin},
        {"U10:U44", xl::Thin},  {"X10:X44", xl::Thin},     {"Z11:Z44", xl::Hairline}, {"AA10:AA44", xl::Thin},
    };
    for (const auto& [address, weight] : fieldRules) setLeftWeight(sheet, address, weight);
}

void mergeBlocks(Worksheet& sheet) {
    mergeEachRow(sheet, "A", "B");
    merge(sheet, "M4:Q4");
    merge(sheet, "R4:S4");
    for (const char* address : {"A10:B10", "C10:D10", "E10:N10", "O10:T10", "U10:W10", "X10:Z10", "AA10:AL10"}) {
        merge(sheet, address);
    }
    for (const char* address : {"M2:Q2", "R2:S2", "T2:V2", "W2:Y2", "Z2:AB2", "AC2:AL2", "A7:S7", "T7:AL7", "AC5:AL5"}) {
        merge(sheet, address);
    }
}

void writeHeaderCaptions(Worksheet& sheet) {
    writeLeft(sheet, 2, 1, "ﾀｲﾄﾙ");
    sheet.Cells(2, 13).SetValue("年 月 日");
    sheet.Cells(2, 18).SetValue("版");
    sheet.Cells(2, 20).SetValue("承 認");
    sheet.Cells(2, 23).SetValue("査 閲");
    sheet.Cells(2, 26).SetValue("担 当");
    writeLeft(sheet, 2, 29, "登録番号");
    writeLeft(sheet, 3, 29, "参照番号");
    writeLeft(sheet, 4, 29, "作 成 者");
    writeLeft(sheet, 6, 1, "ＤＢファイル名");
    writeLeft(sheet, 6, 20, "テーブル名");
    sheet.Cells(8, 1).SetValue("【 データ件数 】");
    sheet.Cells(8, 9).SetValue("【 ﾃﾞｰﾀ･ﾌﾞﾛｯｸ･ｻｲｽﾞ 】");
    sheet.Cells(8, 17).SetValue("【 PCTFREE 】");
    sheet.Cells(8, 25).SetValue("【 ブロック数 】");
    sheet.Cells(8, 32).SetValue("【 バイト数 】");
    sheet.GetRange("A8:AL8").SetHorizontalAlignment(xl::HAlignLeft);
}

void writeColumnHeaders(Worksheet& sheet) {
    sheet.Cells(10, 1).SetValue("番号");
    sheet.Cells(10, 3).SetValue("ｷｰ");
    sheet.Cells(10, 5).SetValue("項　目　名");
    sheet.Cells(10, 15).SetValue("項 目 Ｉ Ｄ");
    sheet.Cells(10, 21).SetValue("属 性");
    sheet.Cells(10, 24).SetValue("ﾊﾞｲﾄ数");
    sheet.Cells(10, 27).SetValue("摘  要");
    sheet.GetRange("A10:AL10").SetVerticalAlignment(xl::VAlignCenter);
}

// Field names and type names too wide for their blocks print whole at a
// smaller size instead of being cut off by the next value; a shrinking
// cell needs its block as one merged box.
void fitNamesAndTypes(Worksheet& sheet) {
    mergeEachRow(sheet, "E", "N");
    mergeEachRow(sheet, "U", "W");
    sheet.GetRange("E11:N44").SetShrinkToFit(true);
    sheet.GetRange("U11:W44").SetShrinkToFit(true);
}

// The remarks block as one left-aligned box per field row, for the
// descriptions; a long one is shrunk into its row.
void prepareRemarkBoxes(Worksheet& sheet) {
    mergeEachRow(sheet, "AA", "AL");
    auto boxes = sheet.GetRange("AA11:AL44");
    boxes.SetHorizontalAlignment(xl::HAlignLeft);
    boxes.SetShrinkToFit(true);
}

// Half-width characters that twelve columns (A:L, AA:AL) hold at full
// size, with room to spare.
constexpr std::size_t TwelveColumnsWidth = 30;

// The table's description in the title area A2:L5, in the rows under the
// caption: lines that stay inside the area, as nothing there is merged.
void writeTableRemarks(Worksheet& sheet, const std::string& description) {
    constexpr std::size_t TitleRows = 3;
    const auto lines = WrapLines(description, TwelveColumnsWidth, TitleRows);
    for (std::size_t i = 0; i < lines.size(); ++i) writeLeft(sheet, 3 + static_cast<int>(i), 1, lines[i]);
}

// A description too wide for its box is shrunk to fill it, so its alignment
// does not show; aligned right it also keeps LibreOffice, which measures the
// printed width of the sheet with such text at full size running on to the
// right, from printing the whole form smaller.
void writeFieldRemarks(Worksheet& sheet, int row, const std::string& description) {
    const std::string line = RemarksLine(description);
    sheet.Cells(row, 27).SetText(line);
    if (HalfWidthUnits(line) > TwelveColumnsWidth) sheet.Cells(row, 27).SetHorizontalAlignment(xl::HAlignRight);
}

// The page's values: names, author, page number and its share of the fields.
// Names and texts go in as text, so that a name like "0001" or "2019" is
// shown as it is; the running numbers and byte counts go in as numbers.
void fillPage(ExportState& state, const PageHeading& heading, Worksheet& sheet, std::int16_t page, std::int16_t pages) {
    sheet.Cells(7, 20).SetText(heading.table);
    sheet.Cells(7, 1).SetText(heading.database);
    sheet.Cells(5, 29).SetText(heading.author);
    sheet.GetRange("E11:W44").SetHorizontalAlignment(xl::HAlignLeft);
    fitNamesAndTypes(sheet);
    const bool remarks = heading.remarks;
    if (remarks) {
        prepareRemarkBoxes(sheet);
        writeTableRemarks(sheet, state.TableRemarks);
    }
    sheet.Cells(1, 36).SetText(text::SignedNumberText(page) + "/" + text::SignedNumberText(pages));

    const std::size_t first = static_cast<std::size_t>(page - 1) * FieldsPerPage;
    for (std::size_t i = first; i < first + FieldsPerPage && i < state.FieldBuffer.size(); ++i) {
        const FieldEntry& entry = state.FieldBuffer[i];
        if (entry.FieldName.empty()) break;
        const int row = FirstFieldRow + static_cast<int>(i - first);
        sheet.Cells(row, 1).SetValue(text::SignedNumberText(static_cast<std::int64_t>(i) + 1));
        sheet.Cells(row, 5).SetText(entry.FieldName);
        sheet.Cells(row, 21).SetText(entry.TypeText);
        sheet.Cells(row, 24).SetValue(entry.SizeText);
        sheet.Cells(row, 4).SetText(entry.IndexMark);
        sheet.Cells(row, 3).SetText(entry.KeyMark);
        if (entry.UniqueFlag == -1) sheet.Cells(row, 3).SetText(sheet.Cells(row, 3).Value() + "U");
        if (remarks && !entry.Remarks.empty()) writeFieldRemarks(sheet, row, entry.Remarks);
    }
}

}  // namespace

void AdvanceProgress(const ProgressCallback& progress, const std::string& table, std::int16_t step) {
    if (progress) progress({ExportProgress::Kind::BarAdvanced, table, step});
}

void BuildSheetPage(ExportState& state, const PageHeading& heading, std::int16_t page, std::int16_t pages,
                    const ProgressCallback& progress) {
    const auto advance = [&] { AdvanceProgress(progress, heading.table, state.ProgressStep); };
    if (!state.OutSheet) throw RuntimeError(err::ObjectNotSet);
    Worksheet& sheet = *state.OutSheet;
    drawGrid(sheet);
    setUpPage(sheet);
    drawFrame(sheet);
    drawFieldAreaLines(sheet);
    advance();
    drawHeaderRules(sheet);
    drawVerticalRules(sheet);
    advance();
    mergeEachRow(sheet, "X", "Y");
    advance();
    mergeBlocks(sheet);
    advance();
    writeHeaderCaptions(sheet);
    writeColumnHeaders(sheet);
    fillPage(state, heading, sheet, page, pages);
    advance();
}

}  // namespace kolumbra
