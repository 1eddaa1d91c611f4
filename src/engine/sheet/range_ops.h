#pragma once
// What range properties do to the cells of a modelled sheet: borders by
// the automation interface's line styles and weights, alignments, margins.

#include <cstdint>
#include <functional>

#include "engine/sheet/rect.h"
#include "engine/sheet/sheet_model.h"

namespace kolumbra::sheet {

// One border property set on an edge; each call checks its value (error
// 1004 for one the interface does not have).
struct BorderChange {
    enum class Property { LineStyle, Weight, ColorIndex };
    Property property;
    int value;
    static BorderChange LineStyle(int value);
    static BorderChange Weight(int value);
    static BorderChange ColorIndex(int value);
};

// The edge numbers accepted by Borders: 7 to 10 and 12.
void CheckEdge(int edge);

// Applies the change to the cells along `edge` of `area` (for 12, the lines
// between its rows); a stored neighbour sharing a line gets it too.
void ApplyBorder(SheetModel& model, const Rect& area, int edge, const BorderChange& change);

// The line an edge gets when a property is set on it.
Edge ChangedEdge(const Edge& edge, const BorderChange& change);

std::uint8_t HorizontalAlignmentCode(int alignment);
std::uint8_t VerticalAlignmentCode(int alignment);

// Calls `change` on the format of every cell of the area. A single cell of
// a merged area stands for the whole merged area.
void ForEachFormat(SheetModel& model, const Rect& area, const std::function<void(CellFormat&)>& change);

// Raises error 1004 for an area too large to format cell by cell.
void CheckCellCount(const Rect& area);

// Points to inches; a negative margin or one over 49 inches raises 1004.
double MarginInches(double points);

}  // namespace kolumbra::sheet
