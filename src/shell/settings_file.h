#pragma once
// The settings file kl01.ini: the Japanese flag and the author name.

#include <cstdint>
#include <string>

namespace kolumbra::shell {

// The three lines the settings window writes, in code page 932 with CR LF.
std::string ComposeSettingsFile(std::int16_t jap, const std::string& mkname);

// Replaces the file whole (common/atomic_replace.h), so a failed write never
// leaves a half-written file. False when it cannot be written.
bool WriteSettingsFile(const std::string& path, std::int16_t jap, const std::string& mkname);

// The integer value of a stored "jap" text; 0 when it is not an integer.
std::int16_t JapValue(const std::string& text);

}  // namespace kolumbra::shell
