#include "layoutbook/change_history.h"

#include <array>
#include <ctime>

#include "layoutbook/form_reader.h"

namespace kolumbra {

namespace {

constexpr int Columns = 8;
constexpr std::array<const char*, Columns> Headings = {"日付", "テーブル名", "項目名", "変更内容",
                                                       "変更前", "変更後", "項目ID", "摘要"};
// Wide enough for most names; the page is fitted to the paper's width.
constexpr std::array<double, Columns> Widths = {11, 18, 18, 12, 14, 14, 12, 30};
constexpr int Landscape = 2;
// Rows searched for the last one in use.
constexpr int SearchedRows = 65536;

const std::string LastRow = std::to_string(SearchedRows);

// The position of the last sheet that is a form, 0 when none is.
int lastFormPosition(sheet::Workbook& book) {
    auto sheets = book.GetSheets();
    for (int number = sheets.Count(); number >= 1; --number) {
        if (ReadFormPage(sheets.Item(number).GetRange("A1:AL44").Values())) return number;
    }
    return 0;
}

sheet::Worksheet makeHistorySheet(sheet::Workbook& book) {
    auto sheets = book.GetSheets();
    const int after = lastFormPosition(book);
    sheet::Worksheet history = sheets.Add(sheets.Item(after == 0 ? sheets.Count() : after));
    history.SetName(std::string(HistorySheetName));
    for (int c = 0; c < Columns; ++c) {
        history.Cells(1, c + 1).SetText(Headings[static_cast<std::size_t>(c)]);
        history.Cells(1, c + 1).SetColumnWidth(Widths[static_cast<std::size_t>(c)]);
    }
    auto headings = history.GetRange("A1:H1").Borders(sheet::xl::EdgeBottom);
    headings.SetLineStyle(sheet::xl::Continuous);
    headings.SetWeight(sheet::xl::Thin);
    auto page = history.GetPageSetup();
    page.SetPaperSize(sheet::xl::PaperA4);
    page.SetOrientation(Landscape);
    // One page wide, as many pages long as the rows need.
    page.SetZoom(false);
    page.SetFitToPagesWide(1);
    page.SetFitToPagesTall(0);
    return history;
}

// The last row with a date (the headings' row, on a new sheet).
int rowsInUse(sheet::Worksheet& sheet) {
    const auto dates = sheet.GetRange("A1:A" + LastRow).Values();
    for (int row = SearchedRows; row >= 1; --row) {
        if (!dates[static_cast<std::size_t>(row - 1)][0].empty()) return row;
    }
    return 0;
}

}  // namespace

std::string HistoryDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y/%m/%d", &local);
    return text;
}

int HistorySheetPosition(sheet::Workbook& book) {
    auto sheets = book.GetSheets();
    for (int number = 1; number <= sheets.Count(); ++number) {
        if (sheets.Item(number).Name() == HistorySheetName) return number;
    }
    return 0;
}

void AppendHistory(sheet::Workbook& book, const std::vector<HistoryRow>& rows, const std::string& date) {
    if (rows.empty()) return;
    const int position = HistorySheetPosition(book);
    sheet::Worksheet history = position == 0 ? makeHistorySheet(book) : book.GetSheets().Item(position);
    int row = rowsInUse(history);
    for (const HistoryRow& entry : rows) {
        ++row;
        const std::array<std::string, Columns> values = {date,         entry.table, entry.field,   std::string(entry.what),
                                                         entry.before, entry.after, entry.fieldId, entry.remarks};
        for (int c = 0; c < Columns; ++c) {
            if (!values[static_cast<std::size_t>(c)].empty()) history.Cells(row, c + 1).SetText(values[static_cast<std::size_t>(c)]);
        }
    }
}

bool HistoryRecordsRemoval(sheet::Workbook& book, const std::string& table) {
    const int position = HistorySheetPosition(book);
    if (position == 0) return false;
    for (const auto& row : book.GetSheets().Item(position).GetRange("B1:D" + LastRow).Values()) {
        if (row[0] == table && row[2] == changed::TableRemoved) return true;
    }
    return false;
}

std::vector<std::string> HistoryKeptPages(sheet::Workbook& book, const std::string& table) {
    std::vector<std::string> kept;
    const int position = HistorySheetPosition(book);
    if (position == 0) return kept;
    for (const auto& row : book.GetSheets().Item(position).GetRange("B1:F" + LastRow).Values()) {
        if (row[0] == table && row[2] == changed::PageRemoved &&
            (row[4] == changed::PageKept || row[4] == changed::PageReferenced)) kept.push_back(row[3]);
    }
    return kept;
}

}  // namespace kolumbra
