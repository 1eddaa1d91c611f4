#pragma once
// The common fatal-error report: one message in a fixed layout, then the
// program ends.

#include <string>

namespace kolumbra {

class WindowServices;

// The three-line report for the failure number given as decimal text. When
// the number has no standard description, the report names the failure of
// the lookup instead, with the "FUNCTION" line.
std::string ComposeErrorReport(const std::string& code, const std::string& routine);

// Shows the report (OK only, no icon, application title) and ends the
// program at once with a non-zero exit status.
[[noreturn]] void ReportError(WindowServices& window, const std::string& code, const std::string& routine);

}  // namespace kolumbra
