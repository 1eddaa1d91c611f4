#include "catalog/field_type_name.h"

#include <gtest/gtest.h>

#include "engine/db/access/mdb_catalog.h"

namespace kolumbra {
namespace {

TEST(FieldTypeName, EveryNamedCodeInBothLanguages) {
    struct Row {
        std::int16_t code;
        const char* english;
        const char* japanese;
    };
    const Row rows[] = {
        {1, "Boolean", "ブール型"}, {2, "Byte", "バイト型"}, {3, "Integer", "整数型"}, {4, "Long", "長整数型"},
        {5, "Currency", "通貨型"}, {6, "Single", "単精度浮動小数点数型"}, {7, "Double", "倍精度浮動小数点数型"},
        {8, "Date", "日付 / 時刻型"}, {9, "Binary", "バイナリ型"}, {10, "Text", "テキスト型"},
        {11, "LBinary", "ロング バイナリ型"}, {12, "Memo", "メモ型"}, {15, "GUID", "GUID 型"},
        {16, "Bigint", "Bigint型"}, {17, "VBinary", "可変長バイナリ型"}, {18, "CHAR", "CHAR 型"},
        {19, "Numeric", "Numeric 型"}, {20, "Decimal", "10 進型"}, {21, "Float", "浮動小数点数型"},
        {22, "Time", "時刻型"}, {23, "TimeStp", "タイムスタンプ型"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(FieldTypeName(row.code, 0), row.english) << row.code;
        EXPECT_EQ(FieldTypeName(row.code, 1), row.japanese) << row.code;
    }
}

TEST(FieldTypeName, AnyNonZeroFlagIsJapanese) {
    EXPECT_EQ(FieldTypeName(10, -1), "テキスト型");
    EXPECT_EQ(FieldTypeName(10, 5), "テキスト型");
}

TEST(FieldTypeName, UnnamedCodesAreQuestionMarks) {
    for (std::int16_t code : {0, 13, 14, 24, -1, 101, 32767, -32768}) {
        EXPECT_EQ(FieldTypeName(code, 0), "???") << code;
        EXPECT_EQ(FieldTypeName(code, 1), "???") << code;
    }
}

// No fixture has a "date/time extended" column (stored type 0x14 in ACE
// files): its stored type goes in as the catalogue reads it from the file.
TEST(FieldTypeName, DateTimeExtendedColumnsAreDateTimeFields) {
    const std::int16_t code = db::mdb::EngineType(db::mdb::DateTimeExtended);
    EXPECT_EQ(FieldTypeName(code, 0), "Date");
    EXPECT_EQ(FieldTypeName(code, 1), "日付 / 時刻型");
    EXPECT_EQ(db::mdb::EngineSize(db::mdb::DateTimeExtended, 0, true), 42);
}

}  // namespace
}  // namespace kolumbra
