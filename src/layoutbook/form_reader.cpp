#include "layoutbook/form_reader.h"

#include <algorithm>
#include <charconv>

#include "common/text.h"
#include "layoutbook/form_cells.h"

namespace kolumbra {

namespace {

const std::string& at(const FormGrid& grid, int row, int column) {
    return grid[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(column - 1)];
}

std::vector<std::string> cellsOf(const FormGrid& grid, int row, int first, int last) {
    return {grid[static_cast<std::size_t>(row - 1)].begin() + (first - 1),
            grid[static_cast<std::size_t>(row - 1)].begin() + last};
}

std::optional<int> positiveNumber(std::string_view text) {
    const std::string trimmed = text::TrimBlanks(text);
    int value = 0;
    const auto [end, error] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value);
    if (error != std::errc() || end != trimmed.data() + trimmed.size() || value < 1) return std::nullopt;
    return value;
}

// " p/ n", as the page number is written; blanks are not required.
bool readPageNumber(const std::string& text, FormPage& page) {
    const std::size_t slash = text.find('/');
    if (slash == std::string::npos) return false;
    const auto number = positiveNumber(std::string_view(text).substr(0, slash));
    const auto count = positiveNumber(std::string_view(text).substr(slash + 1));
    if (!number || !count || *number > *count) return false;
    page.page = *number;
    page.pages = *count;
    return true;
}

// Whether row 10 holds the form's column captions.
bool hasFormCaptions(const FormGrid& grid) {
    if (grid.size() < static_cast<std::size_t>(form::LastRow)) return false;
    return std::all_of(form::ColumnCaptions.begin(), form::ColumnCaptions.end(), [&](const form::Caption& caption) {
        return at(grid, form::CaptionRow, caption.column) == caption.text;
    });
}

}  // namespace

std::optional<FormPage> ReadFormPage(const FormGrid& grid) {
    if (!hasFormCaptions(grid)) return std::nullopt;
    FormPage page;
    page.table = at(grid, form::TableName.row, form::TableName.column);
    if (page.table.empty() || !readPageNumber(at(grid, form::PageNumber.row, form::PageNumber.column), page))
        return std::nullopt;
    for (int row = form::CaptionRow + 1; row <= form::LastRow; ++row) {
        FormField field;
        field.row = row;
        field.name = at(grid, row, form::NameColumn);
        if (field.name.empty()) continue;
        field.keyMark = at(grid, row, form::KeyColumn);
        field.indexMark = at(grid, row, form::IndexColumn);
        field.type = at(grid, row, form::TypeColumn);
        field.size = at(grid, row, form::SizeColumn);
        field.fieldId = cellsOf(grid, row, form::FieldIdFirst, form::FieldIdLast);
        field.remarks = cellsOf(grid, row, form::RemarksFirst, form::RemarksLast);
        page.fields.push_back(std::move(field));
    }
    page.grid = grid;
    return page;
}

namespace {

// Reads the sheets `wanted` lets through into `tables`, pages in order,
// with their cells' makeups when `makeups`.
template <typename Wanted>
void collectForms(sheet::Workbook& book, std::vector<TableForms>& tables, bool makeups, Wanted&& wanted) {
    auto sheets = book.GetSheets();
    const int count = sheets.Count();
    for (int number = 1; number <= count; ++number) {
        sheet::Worksheet worksheet = sheets.Item(number);
        if (!wanted(worksheet)) continue;
        std::optional<FormPage> page = ReadFormPage(worksheet.GetRange("A1:AL44").Values());
        if (!page) continue;
        page->sheetName = worksheet.Name();
        if (makeups) page->makeups = worksheet.GetRange("A1:AL44").Makeups();
        auto table = std::find_if(tables.begin(), tables.end(), [&](const TableForms& t) { return t.table == page->table; });
        if (table == tables.end()) table = tables.insert(tables.end(), TableForms{page->table, {}});
        const bool known = std::any_of(table->pages.begin(), table->pages.end(),
                                       [&](const FormPage& other) { return other.page == page->page; });
        if (!known) table->pages.push_back(std::move(*page));
    }
    for (TableForms& table : tables)
        std::sort(table.pages.begin(), table.pages.end(), [](const FormPage& a, const FormPage& b) { return a.page < b.page; });
}

}  // namespace

std::vector<TableForms> ReadForms(sheet::Workbook& book) {
    std::vector<TableForms> tables;
    collectForms(book, tables, false, [](sheet::Worksheet&) { return true; });
    return tables;
}

TableForms FindTableForms(sheet::Workbook& book, const std::string& table) {
    std::vector<TableForms> tables;
    collectForms(book, tables, true, [&](sheet::Worksheet& worksheet) {
        return worksheet.Cells(form::TableName.row, form::TableName.column).Value() == table;
    });
    return tables.empty() ? TableForms{table, {}} : std::move(tables.front());
}

std::string JoinedText(const std::vector<std::string>& cells) {
    std::string joined;
    for (const std::string& cell : cells) {
        if (cell.empty()) continue;
        if (!joined.empty()) joined += ' ';
        joined += cell;
    }
    return joined;
}

}  // namespace kolumbra
