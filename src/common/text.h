#pragma once
// Text helpers. Text is UTF-8; where characters are counted, they are
// counted in UTF-16 code units, as the system's strings count them, and a
// surrogate pair is never split.

#include <cstdint>
#include <string>
#include <string_view>

namespace kolumbra::text {

// The decimal text of a number with a reserved sign position: " 1", "-1".
std::string SignedNumberText(std::int64_t number);

// The text with spaces removed at both ends (spaces only).
std::string TrimBlanks(std::string_view text);

// Length in UTF-16 code units.
std::size_t Utf16Length(std::string_view utf8);

// The first `count` UTF-16 code units; a pair that would be cut is left out.
std::string LeftChars(std::string_view utf8, std::size_t count);

// The last `count` UTF-16 code units; a pair that would be cut is left out.
std::string RightChars(std::string_view utf8, std::size_t count);

// The text with each line break, whether CR LF, a lone CR or a lone LF, as
// one LF: how a message's lines are shown on screen and on a terminal.
std::string LfLineBreaks(std::string_view text);

// A-Z as a-z, every other byte as it is: for names that compare without
// letter case in ASCII only (zip part names, encoding names).
std::string AsciiLower(std::string_view text);

// Exact, case-sensitive comparison.
inline bool SameText(std::string_view a, std::string_view b) { return a == b; }

// Decoding and encoding of UTF-16, used where a file stores text that way.
std::u16string ToUtf16(std::string_view utf8);
std::string FromUtf16(std::u16string_view utf16);

}  // namespace kolumbra::text
