#pragma once
// How assigned text becomes a cell value, and how a number reads back.

#include <optional>
#include <string>
#include <string_view>

namespace kolumbra::sheet {

// The number a plain decimal text stands for: optional blanks, an optional
// sign, digits, an optional fraction, optional blanks. Nothing else (no
// exponent, no thousands separators, no dates) counts as a number.
std::optional<double> PlainDecimal(std::string_view text);

// The shortest decimal text that reads back as the same number.
std::string NumberText(double value);

}  // namespace kolumbra::sheet
