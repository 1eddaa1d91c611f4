#include "catalog/field_type_name.h"

#include <array>

namespace kolumbra {

namespace {

struct TypeNames {
    const char* english;
    const char* japanese;
};

// Indexed by the engine's data-type code; nullptr where a code has no name.
constexpr std::array<TypeNames, 24> Names = {{
    {nullptr, nullptr},
    {"Boolean", "ブール型"},
    {"Byte", "バイト型"},
    {"Integer", "整数型"},
    {"Long", "長整数型"},
    {"Currency", "通貨型"},
    {"Single", "単精度浮動小数点数型"},
    {"Double", "倍精度浮動小数点数型"},
    {"Date", "日付 / 時刻型"},
    {"Binary", "バイナリ型"},
    {"Text", "テキスト型"},
    {"LBinary", "ロング バイナリ型"},
    {"Memo", "メモ型"},
    {nullptr, nullptr},
    {nullptr, nullptr},
    {"GUID", "GUID 型"},
    {"Bigint", "Bigint型"},
    {"VBinary", "可変長バイナリ型"},
    {"CHAR", "CHAR 型"},
    {"Numeric", "Numeric 型"},
    {"Decimal", "10 進型"},
    {"Float", "浮動小数点数型"},
    {"Time", "時刻型"},
    {"TimeStp", "タイムスタンプ型"},
}};

}  // namespace

std::string FieldTypeName(std::int16_t type, std::int16_t jap) {
    if (type < 0 || static_cast<std::size_t>(type) >= Names.size() || Names[static_cast<std::size_t>(type)].english == nullptr) {
        return "???";
    }
    const auto& names = Names[static_cast<std::size_t>(type)];
    return jap != 0 ? names.japanese : names.english;
}

bool TranslatedTypeName(const std::string& a, const std::string& b) {
    for (const TypeNames& names : Names) {
        if (names.english && ((a == names.english && b == names.japanese) || (a == names.japanese && b == names.english)))
            return true;
    }
    return false;
}

}  // namespace kolumbra
