#include "engine/sheet/sheet_name.h"

#include "common/runtime_error.h"
#include "common/text.h"

namespace kolumbra::sheet {

namespace {

constexpr std::size_t MaxNameLength = 31;

// Upper and lower case of ASCII, Latin-1, Greek, Cyrillic and full-width
// letters fold together.
char16_t Fold(char16_t c) {
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) ||
        (c >= 0x430 && c <= 0x44F))
        return static_cast<char16_t>(c - 0x20);
    if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<char16_t>(c - 0x20);
    return c;
}

std::u16string Folded(const std::string& utf8) {
    std::u16string text = text::ToUtf16(utf8);
    for (char16_t& c : text) c = Fold(c);
    return text;
}

[[noreturn]] void Refuse(const std::string& why) { throw RuntimeError(err::ApplicationDefined, why); }

}  // namespace

bool SameSheetName(const std::string& a, const std::string& b) {
    // Folding keeps every character's length in UTF-8, and names are
    // compared against every sheet of a workbook: ASCII is folded in place.
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 0x80 || y >= 0x80) return Folded(a) == Folded(b);
        if (Fold(x) != Fold(y)) return false;
    }
    return true;
}

void CheckSheetName(const std::string& name, const std::vector<std::string>& others) {
    const std::u16string text = text::ToUtf16(name);
    if (text.empty()) Refuse("シート名が空です。シート名には 1 文字以上を指定してください。");
    if (text.size() > MaxNameLength)
        Refuse("シート名 '" + name + "' は長すぎます。シート名は 31 文字以内で指定してください。");
    if (text.find_first_of(u":\\/?*[]") != std::u16string::npos)
        Refuse("シート名 '" + name + "' には使用できない文字 (: \\ / ? * [ ]) が含まれています。");
    if (text.front() == u'\'' || text.back() == u'\'')
        Refuse("シート名 '" + name + "' の先頭または末尾にアポストロフィ (') は使用できません。");
    if (SameSheetName(name, "History")) Refuse("'History' は予約された名前のため、シート名には使用できません。");
    for (const std::string& other : others) {
        if (SameSheetName(name, other))
            Refuse("シート名 '" + name + "' は既に使われています。別の名前を指定してください。");
    }
}

}  // namespace kolumbra::sheet
