#pragma once
// Cells of a stored worksheet part set in place: the cell keeps its
// element, its format (s) and its place; only its value changes. Every
// other element of the part stays as it was.

#include <string>
#include <vector>

#include "engine/sheet/ooxml/xml_part.h"

namespace kolumbra::sheet::ooxml {

struct StoredCellEdit {
    enum class Kind { Empty, Number, Text };
    int row = 0;  // 0-based
    int column = 0;
    Kind kind = Kind::Empty;
    double number = 0;
    std::string text;
};

// Refuses (error 1004, nothing changed) an edit SetStoredCell could not
// make: in a part whose rows or cells do not say where they stand, or of
// a cell a shared or array formula of other cells starts from.
void CheckStoredCell(const XmlPart& sheet, const std::string& sheetName, const StoredCellEdit& edit);

// Sets one cell, which CheckStoredCell must have let through, adding its
// row and cell elements in order when missing (a new cell takes the format
// of its row, else of its column); true when the value a formula gave is
// replaced, so that the calculation chain must forget the cell.
bool SetStoredCell(XmlPart& sheet, const std::string& sheetName, const StoredCellEdit& edit);

// Error 1004 saying why a cell of `sheetName` cannot take a value.
[[noreturn]] void CannotSetCell(const std::string& sheetName, const std::string& why);

// A cell element: its format (s) and whether a formula gives its value.
struct StoredMakeup {
    int row = 0;  // 0-based
    int column = 0;
    unsigned xf = 0;
    bool formula = false;
};
// Every cell element of the part that says where it stands, blank ones
// included.
std::vector<StoredMakeup> StoredMakeups(const XmlPart& sheet);

// Removes the calculation-chain entry of a cell of the sheet `sheetId`;
// true when any entry is left.
bool RemoveCellFromCalcChain(XmlPart& calcChain, unsigned sheetId, const std::string& reference);

}  // namespace kolumbra::sheet::ooxml
