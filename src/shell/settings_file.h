#pragma once
// The settings file kl01.ini: the Japanese flag, the author name and the
// remarks option.

#include <cstdint>
#include <string>

namespace kolumbra::shell {

// The four lines the settings window writes, in code page 932 with CR LF.
std::string ComposeSettingsFile(std::int16_t jap, const std::string& mkname, std::int16_t remarks);

// Replaces the file whole (common/atomic_replace.h), so a failed write never
// leaves a half-written file. False when it cannot be written.
bool WriteSettingsFile(const std::string& path, std::int16_t jap, const std::string& mkname, std::int16_t remarks);

// The integer value of a stored "jap" text; 0 when it is not an integer.
std::int16_t JapValue(const std::string& text);

// The remarks option of a stored "remarks" text: 1 for "1", else 0 (a file
// written before the option existed has no such line).
std::int16_t RemarksValue(const std::string& text);

}  // namespace kolumbra::shell
