#pragma once

namespace kolumbra {

inline constexpr const char* ProductName = "Kolumbra";
inline constexpr const char* ProductVersion = "1.03";

}  // namespace kolumbra
