#pragma once
// Conversion between the program's UTF-8 text and code page 932, the
// Shift-JIS that Japanese Windows writes its ANSI files in.

#include <string>
#include <string_view>

namespace kolumbra::cp932 {

// UTF-8 to code page 932. A character the code page cannot hold becomes "?".
std::string FromUtf8(std::string_view utf8);

// Code page 932 to UTF-8. An invalid byte sequence becomes U+FFFD.
std::string ToUtf8(std::string_view bytes);

// Number of bytes the character starting with this lead byte occupies.
int CharByteLength(unsigned char lead);

// The longest prefix of `bytes` of at most `limit` bytes that does not
// split a double-byte character.
std::string_view CutAtCharBoundary(std::string_view bytes, std::size_t limit);

}  // namespace kolumbra::cp932
