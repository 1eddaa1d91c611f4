#pragma once
// A worksheet the engine builds itself: cells with values and formats,
// merged areas, column widths, row heights and the page setup. It becomes
// records only when the workbook is saved.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/sheet/cell_format.h"
#include "engine/sheet/rect.h"

namespace kolumbra::sheet {

struct Cell {
    enum class Kind : std::uint8_t { Empty, Number, Text };
    Kind kind = Kind::Empty;
    CellFormat format;
    double number = 0;
    std::uint32_t text = 0;  // index into SheetModel::texts
};

struct RowInfo {
    std::vector<Cell> cells;            // indexed by column, grown on demand
    std::optional<double> heightPoints;  // a custom height
};

struct PageSettings {
    // Margins in inches; the defaults of a new sheet.
    double left = 0.75, right = 0.75, top = 1.0, bottom = 1.0, header = 0.5, footer = 0.5;
    std::uint16_t paper = 9;  // A4
    bool portrait = true;
    std::uint16_t scale = 100;
    bool fitToPage = false;
    std::uint16_t fitWide = 1, fitTall = 1;
};

class SheetModel {
public:
    // Cell access; `Touch` creates the cell.
    const Cell* Find(int row, int column) const;
    Cell& Touch(int row, int column);

    void SetText(int row, int column, const std::string& utf8);
    void SetNumber(int row, int column, double value);
    void ClearValue(int row, int column);
    std::string ValueText(int row, int column) const;

    const std::vector<RowInfo>& Rows() const { return rows_; }
    RowInfo& TouchRow(int row);
    const std::string& Text(std::uint32_t index) const { return texts_[index]; }

    std::optional<double> ColumnWidth(int column) const { return widths_[static_cast<std::size_t>(column)]; }
    void SetColumnWidth(int column, double characters) { widths_[static_cast<std::size_t>(column)] = characters; }

    // Merging keeps the top-left value; a range overlapping merged areas
    // absorbs them. One cell is never a merged area.
    void Merge(const Rect& area);
    void Unmerge(const Rect& area);
    const std::vector<Rect>& Merges() const { return merges_; }
    // The merged area a cell lies in, if any.
    std::optional<Rect> MergeAreaOf(int row, int column) const;

    PageSettings& Page() { return page_; }
    const PageSettings& Page() const { return page_; }

private:
    std::vector<RowInfo> rows_;
    std::vector<std::string> texts_;
    std::optional<double> widths_[MaxColumns];
    std::vector<Rect> merges_;
    PageSettings page_;
};

}  // namespace kolumbra::sheet
