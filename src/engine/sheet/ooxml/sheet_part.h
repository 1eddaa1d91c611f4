#pragma once
// A worksheet part written from a sheet the engine modelled: cells with
// inline strings or numbers, merges, column widths, row heights and the
// page setup.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/sheet/cell_format.h"
#include "engine/sheet/rect.h"
#include "engine/sheet/sheet_model.h"

namespace kolumbra::sheet::ooxml {

struct SheetPartContext {
    // The xf index of a cell format.
    std::function<unsigned(const CellFormat&)> xfOf;
    int maxDigitWidth = 7;
    double defaultRowPoints = 13.5;
    // The workbook's active tab: its tab is shown selected.
    bool tabSelected = false;
};

std::string WorksheetPart(const SheetModel& model, const SheetPartContext& context);

// Cell text with the characters XML cannot carry written as _xHHHH_, as
// spreadsheet applications read them, and a literal _xHHHH_ with its
// underscore escaped so that it reads back as written; XML escaping is
// left to the caller.
std::string EscapedCellText(const std::string& text);

// "AB12" for row 11, column 27 (0-based).
std::string CellReference(int row, int column);
// The 0-based row and column of a reference such as "AB12" within the
// grid's 1,048,576 rows and 16,384 columns; false for anything else.
bool ParseCellReference(std::string_view reference, int& row, int& column);
// "A1:B2", or a single cell "A1"; nothing for anything else.
std::optional<Rect> ParseCellRange(std::string_view range);

inline constexpr int MaxGridRows = 1048576;

}  // namespace kolumbra::sheet::ooxml
