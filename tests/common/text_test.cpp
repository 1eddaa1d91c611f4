#include "common/text.h"

#include <gtest/gtest.h>

#include <utility>

namespace kolumbra::text {
namespace {

const std::string Pair = "\xF0\xA0\x80\x8B";  // U+2000B, a surrogate pair in UTF-16

TEST(Text, EachKindOfLineBreakIsOneLf) {
    const std::pair<std::string, std::string> cases[] = {
        {"a\r\nb\r\nc", "a\nb\nc"}, {"a\rb", "a\nb"}, {"a\nb", "a\nb"},
        {"a\n\rb", "a\n\nb"}, {"a\r\r\nb\r", "a\n\nb\n"}, {"", ""},
    };
    for (const auto& [text, shown] : cases) EXPECT_EQ(LfLineBreaks(text), shown) << text;
}

TEST(Text, NumbersReserveASignPosition) {
    EXPECT_EQ(SignedNumberText(1), " 1");
    EXPECT_EQ(SignedNumberText(0), " 0");
    EXPECT_EQ(SignedNumberText(-1), "-1");
    EXPECT_EQ(SignedNumberText(251), " 251");
}

TEST(Text, TrimsSpacesOnly) {
    EXPECT_EQ(TrimBlanks("  out.csv  "), "out.csv");
    EXPECT_EQ(TrimBlanks("\tx\t"), "\tx\t");
    EXPECT_EQ(TrimBlanks("   "), "");
    EXPECT_EQ(TrimBlanks("　x　"), "　x　");  // ideographic spaces stay
}

TEST(Text, CountsUtf16CodeUnits) {
    EXPECT_EQ(Utf16Length("abc"), 3u);
    EXPECT_EQ(Utf16Length("社員"), 2u);
    EXPECT_EQ(Utf16Length("a" + Pair), 3u);
}

TEST(Text, LeftAndRightNeverSplitAPair) {
    std::string s = "ab" + Pair + "cd";
    EXPECT_EQ(LeftChars(s, 2), "ab");
    EXPECT_EQ(LeftChars(s, 3), "ab");  // would cut the pair
    EXPECT_EQ(LeftChars(s, 4), "ab" + Pair);
    EXPECT_EQ(LeftChars(s, 99), s);
    EXPECT_EQ(RightChars(s, 2), "cd");
    EXPECT_EQ(RightChars(s, 3), "cd");
    EXPECT_EQ(RightChars(s, 4), Pair + "cd");
    EXPECT_EQ(RightChars("x.csv", 4), ".csv");
    EXPECT_EQ(RightChars("csv", 4), "csv");
}

TEST(Text, CountsJapaneseCharactersOnePerUnit) {
    std::string name = "取引データ明細";
    EXPECT_EQ(LeftChars(name, 3), "取引デ");
    EXPECT_EQ(RightChars(name, 2), "明細");
}

TEST(Text, Utf16RoundTrip) {
    std::string s = "表" + Pair + "x";
    EXPECT_EQ(ToUtf16(s).size(), 4u);
    EXPECT_EQ(FromUtf16(ToUtf16(s)), s);
    EXPECT_EQ(FromUtf16(u"\xD800"), "\xEF\xBF\xBD");  // a lone surrogate
}

}  // namespace
}  // namespace kolumbra::text
