#pragma once
// Sizes derived from the standard font: the width of its widest digit,
// which column widths are counted in, and the default row height.

#include <cstdint>

namespace kolumbra::sheet {

// Pixels at 96 dpi of the widest digit of a font `twips` high. The digits
// of the faces in use are half an em wide (10 points: 7 pixels).
int MaxDigitWidth(std::uint16_t twips);

// Default row height in twips for a font `twips` high: 1.35 times the font
// size, rounded to whole pixels (10 points: 13.5 points).
std::uint16_t DefaultRowTwips(std::uint16_t twips);

}  // namespace kolumbra::sheet
