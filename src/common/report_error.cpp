#include "common/report_error.h"

#include <charconv>
#include <cstdint>
#include <cstdlib>

#include "common/runtime_error.h"
#include "common/window_services.h"

namespace kolumbra {

namespace {

constexpr const char* FirstLine = "処理を終了します。";
constexpr const char* LineEnd = "\r\n";

// The numeric value of a code's text: its leading integer, 0 when it has
// none. A number too long for 64 bits reads as out of range.
std::int64_t numericValue(const std::string& code) {
    std::string_view s = code;
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    std::int64_t value = 0;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec == std::errc::result_out_of_range) return INT64_MIN;
    return ptr == s.data() ? 0 : value;
}

std::string compose(const std::string& code, const std::string& description, const char* label,
                    const std::string& routine) {
    return std::string(FirstLine) + LineEnd + "  CODE : (" + code + ") " + description + LineEnd + label + routine;
}

}  // namespace

std::string ComposeErrorReport(const std::string& code, const std::string& routine) {
    try {
        return compose(code, StandardErrorDescription(numericValue(code)), "  RtnName   : ", routine);
    } catch (const RuntimeError& failure) {
        return compose(std::to_string(failure.number()), failure.description(), "  FUNCTION : ", routine);
    }
}

void ReportError(WindowServices& window, const std::string& code, const std::string& routine) {
    window.MsgBox(ComposeErrorReport(code, routine), Buttons::Ok, Icon::None, "");
    std::_Exit(EXIT_FAILURE);
}

}  // namespace kolumbra
