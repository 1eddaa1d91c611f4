#include "engine/sheet/sheet_model.h"

#include <algorithm>

#include "engine/sheet/cell_value.h"

namespace kolumbra::sheet {

const Cell* SheetModel::Find(int row, int column) const {
    if (row >= static_cast<int>(rows_.size())) return nullptr;
    const std::vector<Cell>& cells = rows_[static_cast<std::size_t>(row)].cells;
    if (column >= static_cast<int>(cells.size())) return nullptr;
    return &cells[static_cast<std::size_t>(column)];
}

RowInfo& SheetModel::TouchRow(int row) {
    if (row >= static_cast<int>(rows_.size())) rows_.resize(static_cast<std::size_t>(row) + 1);
    return rows_[static_cast<std::size_t>(row)];
}

Cell& SheetModel::Touch(int row, int column) {
    std::vector<Cell>& cells = TouchRow(row).cells;
    if (column >= static_cast<int>(cells.size())) cells.resize(static_cast<std::size_t>(column) + 1);
    return cells[static_cast<std::size_t>(column)];
}

void SheetModel::SetText(int row, int column, const std::string& utf8) {
    Cell& cell = Touch(row, column);
    cell.kind = Cell::Kind::Text;
    texts_.push_back(utf8);
    cell.text = static_cast<std::uint32_t>(texts_.size() - 1);
}

void SheetModel::SetNumber(int row, int column, double value) {
    Cell& cell = Touch(row, column);
    cell.kind = Cell::Kind::Number;
    cell.number = value;
}

void SheetModel::ClearValue(int row, int column) {
    if (Find(row, column)) Touch(row, column).kind = Cell::Kind::Empty;
}

std::string SheetModel::ValueText(int row, int column) const {
    const Cell* cell = Find(row, column);
    if (!cell) return "";
    switch (cell->kind) {
    case Cell::Kind::Number:
        return NumberText(cell->number);
    case Cell::Kind::Text:
        return texts_[cell->text];
    case Cell::Kind::Empty:
        break;
    }
    return "";
}

void SheetModel::Merge(const Rect& area) {
    Rect merged = area;
    // Absorb every merged area the new one touches, until none is left.
    for (bool grew = true; grew;) {
        grew = false;
        for (auto it = merges_.begin(); it != merges_.end(); ++it) {
            if (it->Overlaps(merged)) {
                merged = merged.Union(*it);
                merges_.erase(it);
                grew = true;
                break;
            }
        }
    }
    if (merged.IsSingleCell()) return;
    for (int r = merged.r1; r <= merged.r2; ++r) {
        for (int c = merged.c1; c <= merged.c2; ++c) {
            if (r != merged.r1 || c != merged.c1) ClearValue(r, c);
        }
    }
    merges_.push_back(merged);
}

void SheetModel::Unmerge(const Rect& area) {
    std::erase_if(merges_, [&](const Rect& m) { return m.Overlaps(area); });
}

std::optional<Rect> SheetModel::MergeAreaOf(int row, int column) const {
    for (const Rect& m : merges_) {
        if (m.Contains(row, column)) return m;
    }
    return std::nullopt;
}

}  // namespace kolumbra::sheet
