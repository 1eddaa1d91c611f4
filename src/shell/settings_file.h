#pragma once
// The settings file kl01.ini: the Japanese flag, the author name, the
// remarks option and the refresh option.

#include <cstdint>
#include <string>

namespace kolumbra::shell {

// The lines the settings window writes, in code page 932 with CR LF.
std::string ComposeSettingsFile(std::int16_t jap, const std::string& mkname, std::int16_t remarks,
                                std::int16_t refresh);

// Replaces the file whole (common/atomic_replace.h), so a failed write never
// leaves a half-written file. False when it cannot be written.
bool WriteSettingsFile(const std::string& path, std::int16_t jap, const std::string& mkname, std::int16_t remarks,
                       std::int16_t refresh);

}  // namespace kolumbra::shell
