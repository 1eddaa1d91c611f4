#include "engine/sheet/range_ops.h"

#include "common/runtime_error.h"
#include "engine/sheet/workbook.h"

namespace kolumbra::sheet {

namespace {

// Whole columns of formats are not modelled; this bounds one operation.
constexpr long long MaxFormattedCells = 1 << 20;

constexpr int LineStyleNone = -4142;
constexpr int Dash = -4115;
constexpr int Dot = -4118;
constexpr int DashDot = 4;
constexpr int DashDotDot = 5;
constexpr int SlantDashDot = 13;

[[noreturn]] void Refuse(const char* property) {
    throw RuntimeError(err::ApplicationDefined,
                       std::string("Border クラスの ") + property + " プロパティを設定できません。");
}

bool IsContinuous(std::uint8_t style) {
    return style == line::Thin || style == line::Medium || style == line::Thick || style == line::Hair;
}

std::uint8_t StyleOfWeight(int weight) {
    switch (weight) {
    case xl::Hairline:
        return line::Hair;
    case xl::Thin:
        return line::Thin;
    case xl::Medium:
        return line::Medium;
    case xl::Thick:
        return line::Thick;
    default:
        Refuse("Weight");
    }
}

std::uint8_t StyleOfLineStyle(int lineStyle, std::uint8_t current) {
    switch (lineStyle) {
    case xl::Continuous:
        return IsContinuous(current) ? current : line::Thin;
    case xl::Double:
        return line::Double;
    case LineStyleNone:
        return line::None;
    case Dash:
        return 3;
    case Dot:
        return 4;
    case DashDot:
        return 9;
    case DashDotDot:
        return 11;
    case SlantDashDot:
        return 13;
    default:
        Refuse("LineStyle");
    }
}

std::uint8_t ColourOfIndex(int colorIndex) {
    if (colorIndex == xl::ColorIndexAutomatic) return AutomaticColour;
    if (colorIndex >= 1 && colorIndex <= 56) return static_cast<std::uint8_t>(colorIndex + 7);
    Refuse("ColorIndex");
}

enum class Side { Left, Right, Top, Bottom };

Edge& EdgeOf(CellFormat& format, Side side) {
    switch (side) {
    case Side::Left:
        return format.left;
    case Side::Right:
        return format.right;
    case Side::Top:
        return format.top;
    case Side::Bottom:
        break;
    }
    return format.bottom;
}

// Whether the sheet stores the cell: it has a value or a format of its own.
bool IsStored(const SheetModel& model, int row, int column) {
    const Cell* cell = model.Find(row, column);
    return cell && (cell->kind != Cell::Kind::Empty || !(cell->format == CellFormat{}));
}

// The neighbour across a side of a cell and the side it faces it with.
struct Opposite {
    int rowStep, columnStep;
    Side facing;
};

Opposite OppositeOf(Side side) {
    switch (side) {
    case Side::Left:
        return {0, -1, Side::Right};
    case Side::Right:
        return {0, 1, Side::Left};
    case Side::Top:
        return {-1, 0, Side::Bottom};
    case Side::Bottom:
        break;
    }
    return {1, 0, Side::Top};
}

// Which neighbour across the line gets it on its facing side.
enum class Across { StoredOnly, Always };

// The line is stored on the cell whose edge was set, as the application
// stores it. A neighbour across it that the sheet stores, or one inside the
// same range, gets the same line on its facing side, so that the two cells
// never disagree about it. An empty neighbour outside the range is left
// alone: a cell formatted only to carry the line would widen the sheet's
// used, and printed, area past the range.
void ChangeCellEdge(SheetModel& model, int row, int column, Side side, const BorderChange& change,
                    Across across = Across::StoredOnly) {
    Edge& edge = EdgeOf(model.Touch(row, column).format, side);
    edge = ChangedEdge(edge, change);
    const Edge line = edge;
    const Opposite opposite = OppositeOf(side);
    const int r = row + opposite.rowStep;
    const int c = column + opposite.columnStep;
    if (r < 0 || c < 0 || r >= MaxRows || c >= MaxColumns) return;
    if (across == Across::Always || IsStored(model, r, c)) EdgeOf(model.Touch(r, c).format, opposite.facing) = line;
}

}  // namespace

BorderChange BorderChange::LineStyle(int value) {
    StyleOfLineStyle(value, line::None);
    return {Property::LineStyle, value};
}

BorderChange BorderChange::Weight(int value) {
    StyleOfWeight(value);
    return {Property::Weight, value};
}

BorderChange BorderChange::ColorIndex(int value) {
    ColourOfIndex(value);
    return {Property::ColorIndex, value};
}

void CheckEdge(int edge) {
    if (edge != xl::EdgeLeft && edge != xl::EdgeTop && edge != xl::EdgeBottom && edge != xl::EdgeRight &&
        edge != xl::InsideHorizontal)
        throw RuntimeError(err::ApplicationDefined, "Range クラスの Borders プロパティを取得できません。");
}

Edge ChangedEdge(const Edge& edge, const BorderChange& change) {
    Edge out = edge;
    switch (change.property) {
    case BorderChange::Property::LineStyle:
        out.style = StyleOfLineStyle(change.value, edge.style);
        break;
    case BorderChange::Property::Weight:
        // A double line stays double whatever its weight; any other line,
        // or none, becomes a continuous line of that weight.
        if (edge.style != line::Double) out.style = StyleOfWeight(change.value);
        break;
    case BorderChange::Property::ColorIndex:
        if (edge.style == line::None) out.style = line::Thin;
        out.colour = ColourOfIndex(change.value);
        break;
    }
    if (out.style == line::None) {
        out.colour = 0;
    } else if (out.colour == 0) {
        out.colour = AutomaticColour;
    }
    return out;
}

void ApplyBorder(SheetModel& model, const Rect& area, int edge, const BorderChange& change) {
    CheckEdge(edge);
    CheckCellCount(area);
    switch (edge) {
    case xl::EdgeLeft:
        for (int r = area.r1; r <= area.r2; ++r) ChangeCellEdge(model, r, area.c1, Side::Left, change);
        break;
    case xl::EdgeRight:
        for (int r = area.r1; r <= area.r2; ++r) ChangeCellEdge(model, r, area.c2, Side::Right, change);
        break;
    case xl::EdgeTop:
        for (int c = area.c1; c <= area.c2; ++c) ChangeCellEdge(model, area.r1, c, Side::Top, change);
        break;
    case xl::EdgeBottom:
        for (int c = area.c1; c <= area.c2; ++c) ChangeCellEdge(model, area.r2, c, Side::Bottom, change);
        break;
    default:  // inside horizontal: the line under every row but the last, shared with the row below
        for (int r = area.r1; r < area.r2; ++r) {
            for (int c = area.c1; c <= area.c2; ++c) ChangeCellEdge(model, r, c, Side::Bottom, change, Across::Always);
        }
        break;
    }
}

std::uint8_t HorizontalAlignmentCode(int alignment) {
    switch (alignment) {
    case 1:  // general
        return 0;
    case xl::HAlignLeft:
        return 1;
    case xl::HAlignCenter:
        return 2;
    case -4152:  // right
        return 3;
    case -4130:  // justify
        return 5;
    case 7:  // centre across selection
        return 6;
    case -4117:  // distributed
        return 7;
    default:
        throw RuntimeError(err::ApplicationDefined, "Range クラスの HorizontalAlignment プロパティを設定できません。");
    }
}

std::uint8_t VerticalAlignmentCode(int alignment) {
    switch (alignment) {
    case -4160:  // top
        return 0;
    case xl::VAlignCenter:
        return 1;
    case -4107:  // bottom
        return 2;
    case -4130:  // justify
        return 3;
    case -4117:  // distributed
        return 4;
    default:
        throw RuntimeError(err::ApplicationDefined, "Range クラスの VerticalAlignment プロパティを設定できません。");
    }
}

void ForEachFormat(SheetModel& model, const Rect& area, const std::function<void(CellFormat&)>& change) {
    Rect target = area;
    if (area.IsSingleCell()) {
        if (auto merged = model.MergeAreaOf(area.r1, area.c1)) target = *merged;
    }
    CheckCellCount(target);
    for (int r = target.r1; r <= target.r2; ++r) {
        for (int c = target.c1; c <= target.c2; ++c) change(model.Touch(r, c).format);
    }
}

void CheckCellCount(const Rect& area) {
    if (area.CellCount() > MaxFormattedCells)
        throw RuntimeError(err::ApplicationDefined, "範囲が大きすぎるため、セルごとの設定はできません。");
}

double MarginInches(double points) {
    if (!(points >= 0 && points <= 49 * 72))
        throw RuntimeError(err::ApplicationDefined, "PageSetup クラスの余白のプロパティを設定できません。");
    return points / 72;
}

}  // namespace kolumbra::sheet
