#include "engine/sheet/font_metrics.h"

#include <algorithm>
#include <cmath>

namespace kolumbra::sheet {

int MaxDigitWidth(std::uint16_t twips) {
    const double emPixels = twips / 20.0 * 96 / 72;
    return std::max(1, static_cast<int>(std::lround(emPixels / 2)));
}

std::uint16_t DefaultRowTwips(std::uint16_t twips) {
    const double pixels = std::round(twips / 20.0 * 1.35 * 96 / 72);
    return static_cast<std::uint16_t>(std::max(1.0, pixels) * 15);  // 15 twips a pixel
}

}  // namespace kolumbra::sheet
