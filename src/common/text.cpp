#include "common/text.h"

#include <vector>

namespace kolumbra::text {

namespace {

// One code point of UTF-8 text, with where it lies.
struct CodePoint {
    std::size_t offset;
    std::size_t length;
    char32_t value;
};

// Decodes UTF-8 leniently: a malformed byte stands for U+FFFD on its own.
std::vector<CodePoint> decode(std::string_view s) {
    std::vector<CodePoint> points;
    std::size_t i = 0;
    while (i < s.size()) {
        auto b = static_cast<unsigned char>(s[i]);
        std::size_t len = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
        char32_t value = 0xFFFD;
        if (len == 0 || i + len > s.size()) {
            len = 1;
        } else {
            value = len == 1 ? b : b & (0x7F >> len);
            for (std::size_t k = 1; k < len; ++k) {
                auto c = static_cast<unsigned char>(s[i + k]);
                if ((c & 0xC0) != 0x80) {
                    len = 1;
                    value = 0xFFFD;
                    break;
                }
                value = (value << 6) | (c & 0x3F);
            }
        }
        points.push_back({i, len, value});
        i += len;
    }
    return points;
}

std::size_t units(char32_t cp) { return cp >= 0x10000 ? 2 : 1; }

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

}  // namespace

std::string SignedNumberText(std::int64_t number) {
    std::string digits = std::to_string(number);
    return number < 0 ? digits : " " + digits;
}

std::string TrimBlanks(std::string_view text) {
    auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    auto last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

std::size_t Utf16Length(std::string_view utf8) {
    std::size_t n = 0;
    for (const auto& p : decode(utf8)) n += units(p.value);
    return n;
}

std::string LeftChars(std::string_view utf8, std::size_t count) {
    std::size_t used = 0;
    std::size_t end = 0;
    for (const auto& p : decode(utf8)) {
        if (used + units(p.value) > count) break;
        used += units(p.value);
        end = p.offset + p.length;
    }
    return std::string(utf8.substr(0, end));
}

std::string RightChars(std::string_view utf8, std::size_t count) {
    auto points = decode(utf8);
    std::size_t used = 0;
    std::size_t begin = utf8.size();
    for (auto it = points.rbegin(); it != points.rend(); ++it) {
        if (used + units(it->value) > count) break;
        used += units(it->value);
        begin = it->offset;
    }
    return std::string(utf8.substr(begin));
}

std::u16string ToUtf16(std::string_view utf8) {
    std::u16string out;
    for (const auto& p : decode(utf8)) {
        if (p.value >= 0x10000) {
            char32_t v = p.value - 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(p.value));
        }
    }
    return out;
}

std::string AsciiLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return lower;
}

std::string FromUtf16(std::u16string_view utf16) {
    std::string out;
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t c = utf16[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        appendUtf8(out, c);
    }
    return out;
}

std::string LfLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            out += text[i];
            continue;
        }
        out += '\n';
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    }
    return out;
}

}  // namespace kolumbra::text
