#include "engine/sheet/address.h"

#include <string>

#include "common/runtime_error.h"

namespace kolumbra::sheet {

namespace {

// One end of an address: a column, a row, or both.
struct Corner {
    int column = -1;
    int row = -1;
};

[[noreturn]] void Refuse(std::string_view address) {
    throw RuntimeError(err::ApplicationDefined, "セル範囲 '" + std::string(address) + "' は正しい範囲の指定ではありません。");
}

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

Corner ParseCorner(std::string_view text, std::string_view address) {
    Corner corner;
    std::size_t pos = 0;
    if (pos < text.size() && text[pos] == '$') ++pos;
    const std::size_t lettersBegin = pos;
    while (pos < text.size() && IsLetter(text[pos])) ++pos;
    if (pos > lettersBegin) {
        corner.column = ColumnIndex(text.substr(lettersBegin, pos - lettersBegin));
        if (corner.column < 0) Refuse(address);
        if (pos < text.size() && text[pos] == '$') ++pos;
    }
    const std::size_t digitsBegin = pos;
    long row = 0;
    while (pos < text.size() && IsDigit(text[pos])) {
        row = row * 10 + (text[pos] - '0');
        if (row > MaxRows) Refuse(address);
        ++pos;
    }
    if (pos > digitsBegin) {
        if (row < 1) Refuse(address);
        corner.row = static_cast<int>(row - 1);
    }
    if (pos != text.size() || (corner.column < 0 && corner.row < 0)) Refuse(address);
    return corner;
}

}  // namespace

int ColumnIndex(std::string_view letters) {
    if (letters.empty() || letters.size() > 2) return -1;
    int column = 0;
    for (char c : letters) {
        if (!IsLetter(c)) return -1;
        column = column * 26 + ((c & ~0x20) - 'A' + 1);
    }
    return column <= MaxColumns ? column - 1 : -1;
}

Rect ParseAddress(std::string_view address) {
    const std::size_t colon = address.find(':');
    const Corner a = ParseCorner(address.substr(0, colon), address);
    const Corner b = colon == std::string_view::npos ? a : ParseCorner(address.substr(colon + 1), address);
    const bool cells = a.column >= 0 && a.row >= 0 && b.column >= 0 && b.row >= 0;
    const bool columns = a.row < 0 && b.row < 0 && colon != std::string_view::npos;
    const bool rows = a.column < 0 && b.column < 0 && colon != std::string_view::npos;
    if (!cells && !columns && !rows) Refuse(address);
    Rect rect;
    rect.c1 = rows ? 0 : std::min(a.column, b.column);
    rect.c2 = rows ? MaxColumns - 1 : std::max(a.column, b.column);
    rect.r1 = columns ? 0 : std::min(a.row, b.row);
    rect.r2 = columns ? MaxRows - 1 : std::max(a.row, b.row);
    return rect;
}

}  // namespace kolumbra::sheet
