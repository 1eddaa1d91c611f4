#pragma once
// The formatting a cell of a modelled sheet carries: alignment and the four
// border lines, in the file's own codes.

#include <cstdint>

namespace kolumbra::sheet {

// Line styles as the file stores them.
namespace line {
inline constexpr std::uint8_t None = 0;
inline constexpr std::uint8_t Thin = 1;
inline constexpr std::uint8_t Medium = 2;
inline constexpr std::uint8_t Thick = 5;
inline constexpr std::uint8_t Double = 6;
inline constexpr std::uint8_t Hair = 7;
}  // namespace line

// Colour of the automatic (window text) colour.
inline constexpr std::uint8_t AutomaticColour = 64;

struct Edge {
    std::uint8_t style = line::None;
    std::uint8_t colour = 0;  // 0 where there is no line
    bool operator==(const Edge&) const = default;
};

// Horizontal: 0 general, 1 left, 2 centre, 3 right. Vertical: 0 top,
// 1 centre, 2 bottom. Shrink to fit: text wider than its cell (its merged
// area) is shown whole at a smaller size.
struct CellFormat {
    std::uint8_t hAlign = 0;
    std::uint8_t vAlign = 2;
    Edge left, right, top, bottom;
    bool shrinkToFit = false;
    bool operator==(const CellFormat&) const = default;

    std::uint64_t Key() const {
        auto edge = [](const Edge& e) { return static_cast<std::uint64_t>(e.style) << 7 | e.colour; };
        return static_cast<std::uint64_t>(hAlign) | static_cast<std::uint64_t>(vAlign) << 3 | edge(left) << 6 |
               edge(right) << 17 | edge(top) << 28 | edge(bottom) << 39 |
               static_cast<std::uint64_t>(shrinkToFit) << 50;
    }
};

}  // namespace kolumbra::sheet
