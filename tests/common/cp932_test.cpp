#include "common/cp932.h"

#include <gtest/gtest.h>

namespace kolumbra::cp932 {
namespace {

TEST(Cp932, RoundTripsTheCharactersJapaneseFilesHold) {
    // Half-width katakana, full-width forms, NEC special row 13 (①, ㈱),
    // NEC-selected IBM extensions (纊) and IBM extensions (ⅰ).
    const std::string samples[] = {"ﾃｰﾌﾞﾙ名", "ＭＳ 明朝", "①㈱№", "纊褜", "ⅰⅱ￢", "ｱ", "項　目　名", "~\\"};
    for (const auto& s : samples) {
        EXPECT_EQ(ToUtf8(FromUtf8(s)), s) << s;
    }
}

TEST(Cp932, EncodesAsWindowsDoes) {
    EXPECT_EQ(FromUtf8("ﾃｰﾌﾞﾙ"), "\xC3\xB0\xCC\xDE\xD9");
    EXPECT_EQ(FromUtf8("社員"), "\x8E\xD0\x88\xF5");
    EXPECT_EQ(FromUtf8("ソ"), "\x83\x5C");  // trail byte is a backslash
}

TEST(Cp932, UnencodableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(FromUtf8("a\xF0\x9F\x98\x80" "b"), "a?b");  // emoji
    EXPECT_EQ(FromUtf8("한글"), "??");
    EXPECT_EQ(FromUtf8("x\xFFy"), "x?y");  // invalid UTF-8
}

TEST(Cp932, InvalidBytesBecomeReplacementCharacters) {
    EXPECT_EQ(ToUtf8("a\x81"), "a\xEF\xBF\xBD");          // lead byte at the end
    EXPECT_EQ(ToUtf8("\x81\x20" "b"), "\xEF\xBF\xBD b");  // bad trail byte kept as its own character
    EXPECT_EQ(ToUtf8("\xA0"), "\xEF\xBF\xBD");
}

TEST(Cp932, CutsOnlyAtCharacterBoundaries) {
    std::string bytes = FromUtf8("aあい");  // 1 + 2 + 2 bytes
    EXPECT_EQ(CutAtCharBoundary(bytes, 5), bytes);
    EXPECT_EQ(CutAtCharBoundary(bytes, 4), bytes.substr(0, 3));
    EXPECT_EQ(CutAtCharBoundary(bytes, 2), "a");
    EXPECT_EQ(CutAtCharBoundary("\x81", 5), "");  // a lone lead byte is never half-kept
}

}  // namespace
}  // namespace kolumbra::cp932
