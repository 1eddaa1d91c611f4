#include "engine/sheet/font_metrics.h"

#include <algorithm>
#include <cmath>

namespace kolumbra::sheet {

int MaxDigitWidth(std::uint16_t twips) {
    const double emPixels = twips / 20.0 * 96 / 72;
    return std::max(1, static_cast<int>(std::lround(emPixels / 2)));
}

std::uint16_t DefaultRowTwips(std::uint16_t twips) {
    // A row is at most 409.5 points high, whatever size a damaged file
    // gives its standard font.
    constexpr double MaxRowTwips = 8190;
    const double pixels = std::round(twips / 20.0 * 1.35 * 96 / 72);
    return static_cast<std::uint16_t>(std::min(MaxRowTwips, std::max(1.0, pixels) * 15));  // 15 twips a pixel
}

}  // namespace kolumbra::sheet
