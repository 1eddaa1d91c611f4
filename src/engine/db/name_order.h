#pragma once
// The order of table names in every table list: ASCII letters compared
// without case, then by code point (UTF-8 byte order is code point order).

#include <algorithm>
#include <string>

namespace kolumbra::db {

inline bool NameOrderLess(const std::string& a, const std::string& b) {
    auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    auto foldedLess = [&](char x, char y) {
        return static_cast<unsigned char>(fold(x)) < static_cast<unsigned char>(fold(y));
    };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), foldedLess)) return true;
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), foldedLess)) return false;
    return a < b;
}

}  // namespace kolumbra::db
