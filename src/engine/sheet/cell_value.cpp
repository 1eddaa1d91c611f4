#include "engine/sheet/cell_value.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace kolumbra::sheet {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<double> PlainDecimal(std::string_view text) {
    std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string_view::npos) return std::nullopt;
    const std::size_t end = text.find_last_not_of(' ') + 1;
    std::string_view body = text.substr(begin, end - begin);
    std::size_t pos = 0;
    if (body[0] == '+' || body[0] == '-') pos = 1;
    const std::size_t digitsBegin = pos;
    while (pos < body.size() && IsDigit(body[pos])) ++pos;
    if (pos == digitsBegin) return std::nullopt;
    if (pos < body.size() && body[pos] == '.') {
        ++pos;
        while (pos < body.size() && IsDigit(body[pos])) ++pos;
    }
    if (pos != body.size()) return std::nullopt;
    const std::string number(body[0] == '+' ? body.substr(1) : body);
    double value = std::strtod(number.c_str(), nullptr);
    if (!std::isfinite(value)) return std::nullopt;
    return value == 0 ? 0.0 : value;  // no negative zero
}

std::string NumberText(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value == 0 ? 0.0 : value);
    return std::string(buffer, result.ptr);
}

}  // namespace kolumbra::sheet
