#pragma once
// Reading one value from an INI file, as the platform's profile function
// does, and the general routine around it that ends the program on failure.

#include <cstdint>
#include <string>

namespace kolumbra {

class WindowServices;

// The longest value the reader hands back, in code page 932 bytes.
inline constexpr std::size_t ProfileValueLimit = 254;

// The value of `key` in `section` of the code page 932 file `path`, or
// `fallback` when the file, section or key is missing. Section and key
// names match ignoring ASCII case; blanks around names and values are
// ignored; one pair of matching quotes around a value is removed; the
// first match wins; the value is cut to 254 bytes at a character boundary.
// A file that exists but cannot be read raises a RuntimeError (70 or 75).
std::string ReadProfileString(const std::string& path, const std::string& section, const std::string& key,
                              const std::string& fallback);

// The integer value of a stored "jap" text; 0 when it is not an integer.
std::int16_t JapValue(const std::string& text);

// The remarks option of a stored "remarks" text: 1 for "1", else 0 (a file
// written before the option existed has no such line).
std::int16_t RemarksValue(const std::string& text);

// The refresh option of a stored "refresh" text, by the same rule.
inline std::int16_t RefreshValue(const std::string& text) { return RemarksValue(text); }

// ReadProfileString; on failure the fatal report ends the program.
std::string paGetPrivateProfileString(WindowServices& window, const std::string& path, const std::string& section,
                                      const std::string& key, const std::string& fallback);

}  // namespace kolumbra
