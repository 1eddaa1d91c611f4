#pragma once
// Descriptions of fields and tables as the form prints them: one line per
// field in its remarks box, a few lines for the table under the title.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kolumbra {

// The most text a cell holds, in UTF-16 units.
inline constexpr std::size_t CellTextLimit = 32767;

// A description on one line: a line break (CR LF, CR or LF) or any other
// control character becomes one blank; text beyond what a cell holds is
// left out.
std::string RemarksLine(std::string_view description);

// Width in half-width character cells: ASCII and half-width katakana take
// one, every other character two.
std::size_t HalfWidthUnits(std::string_view text);

// A description broken into at most `rows` lines of at most `width`
// half-width cells: at the last blank that fits, else between characters.
// Text that the lines cannot hold ends the last line with "…".
std::vector<std::string> WrapLines(std::string_view description, std::size_t width, std::size_t rows);

}  // namespace kolumbra
