#include "layoutbook/remarks_text.h"

#include "common/text.h"

namespace kolumbra {

namespace {

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// Length of the character at `i`: a surrogate pair is one character.
std::size_t charLength(const std::u16string& s, std::size_t i) {
    return isHighSurrogate(s[i]) && i + 1 < s.size() ? 2 : 1;
}

std::size_t unitsOf(char16_t c) { return (c >= 0x20 && c <= 0x7E) || (c >= 0xFF61 && c <= 0xFF9F) ? 1 : 2; }

// Where the next line ends: the most characters from `start` that fit in
// `width`, pulled back to the last blank when that leaves some text.
std::size_t lineEnd(const std::u16string& s, std::size_t start, std::size_t width) {
    std::size_t end = start;
    std::size_t used = 0;
    while (end < s.size() && used + unitsOf(s[end]) <= width) {
        used += unitsOf(s[end]);
        end += charLength(s, end);
    }
    if (end == s.size()) return end;
    if (end == start) return start + charLength(s, start);  // a line too narrow for one character
    if (s[end] == u' ') return end;
    const std::size_t blank = s.rfind(u' ', end - 1);
    return blank != std::u16string::npos && blank > start ? blank : end;
}

std::size_t skipBlanks(const std::u16string& s, std::size_t i) {
    while (i < s.size() && s[i] == u' ') ++i;
    return i;
}

// The text from `start` to `end` without the blanks it ends in.
std::string piece(const std::u16string& s, std::size_t start, std::size_t end) {
    while (end > start && s[end - 1] == u' ') --end;
    return text::FromUtf16(s.substr(start, end - start));
}

}  // namespace

std::string RemarksLine(std::string_view description) {
    std::u16string line;
    const std::u16string text = text::ToUtf16(description);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        line.push_back(text[i] < 0x20 || text[i] == 0x7F ? u' ' : text[i]);
    }
    return text::LeftChars(text::FromUtf16(line), CellTextLimit);
}

std::size_t HalfWidthUnits(std::string_view text) {
    const std::u16string s = text::ToUtf16(text);
    std::size_t units = 0;
    for (std::size_t i = 0; i < s.size(); i += charLength(s, i)) units += unitsOf(s[i]);
    return units;
}

std::vector<std::string> WrapLines(std::string_view description, std::size_t width, std::size_t rows) {
    const std::u16string s = text::ToUtf16(RemarksLine(description));
    std::vector<std::string> lines;
    std::size_t start = skipBlanks(s, 0);
    while (start < s.size() && lines.size() < rows) {
        const std::size_t end = lineEnd(s, start, width);
        if (lines.size() + 1 == rows && skipBlanks(s, end) < s.size()) {
            // The last line gives up room for the mark of the text left out.
            lines.push_back(piece(s, start, lineEnd(s, start, width > 2 ? width - 2 : 1)) + "…");
            break;
        }
        lines.push_back(piece(s, start, end));
        start = skipBlanks(s, end);
    }
    return lines;
}

}  // namespace kolumbra
