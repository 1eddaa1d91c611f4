#pragma once
// Reading the forms of a workbook back: which sheets are pages of which
// table, and what stands on them, whoever saved the workbook last.

#include <optional>
#include <string>
#include <vector>

#include "engine/sheet/workbook.h"

namespace kolumbra {

// One field row of a page as it reads.
struct FormField {
    int row = 0;  // 11 to 44
    std::string keyMark, indexMark, name, type, size;
    // What people typed into the field's ID (O:T) and remarks (AA:AL)
    // blocks, one text per column.
    std::vector<std::string> fieldId, remarks;
};

// The values of A1:AL44, as Range::Values gives them.
using FormGrid = std::vector<std::vector<std::string>>;

// A sheet that is a page of a table's form.
struct FormPage {
    std::string sheetName;
    std::string table;  // T7
    int page = 0, pages = 0;  // AJ1
    std::vector<FormField> fields;  // rows with a field name, top down
    FormGrid grid;                  // every value of the page
    // How each cell of A1:AL44 holds its value, as Range::Makeups gives
    // it; read by FindTableForms only.
    std::vector<std::vector<sheet::CellMakeup>> makeups;
};

// The pages of one table, in page order; a page number found twice keeps
// its first sheet.
struct TableForms {
    std::string table;
    std::vector<FormPage> pages;
};

// The page the grid shows: a sheet with the form's captions, a table name
// in T7 and "p/ n" in AJ1; nothing for any other sheet.
std::optional<FormPage> ReadFormPage(const FormGrid& grid);

// The forms of every sheet of the workbook, by table in the order of each
// table's first page in the workbook.
std::vector<TableForms> ReadForms(sheet::Workbook& book);

// The pages of `table` alone, with their cells' makeups; sheets whose T7
// names another table are passed over without reading the rest of them.
TableForms FindTableForms(sheet::Workbook& book, const std::string& table);

// The text of a field's typed cells, joined by one blank.
std::string JoinedText(const std::vector<std::string>& cells);

}  // namespace kolumbra
