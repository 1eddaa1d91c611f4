#pragma once
// A worksheet part written from a sheet the engine modelled: cells with
// inline strings or numbers, merges, column widths, row heights and the
// page setup.

#include <functional>
#include <string>

#include "engine/sheet/cell_format.h"
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

// "AB12" for row 11, column 27 (0-based).
std::string CellReference(int row, int column);

}  // namespace kolumbra::sheet::ooxml
