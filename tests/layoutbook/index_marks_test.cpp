// The key and index marks set from a table's indexes, in file databases and
// in ODBC sources.

#include <gtest/gtest.h>

#include "layoutbook/index_marks.h"

namespace kolumbra {
namespace {

ExportState bufferOf(std::initializer_list<const char*> names) {
    ExportState state;
    for (const char* name : names) state.FieldBuffer[static_cast<std::size_t>(state.FieldCount++)].FieldName = name;
    return state;
}

struct Marks {
    std::string key, index;
    std::int16_t unique;
    bool operator==(const Marks&) const = default;
};

Marks marksOf(const ExportState& state, std::size_t entry) {
    const auto& e = state.FieldBuffer[entry];
    return {e.KeyMark, e.IndexMark, e.UniqueFlag};
}

TEST(FileIndexMarks, PrimaryKeyNamedPrimaryMarksEveryFieldItCovers) {
    auto state = bufferOf({"OrderID", "ProductID", "Quantity"});
    MarkIndex(state, {"PrimaryKey", true, true, {"OrderID", "ProductID"}}, false);
    EXPECT_EQ(marksOf(state, 0), (Marks{"P", "I", -1}));
    EXPECT_EQ(marksOf(state, 1), (Marks{"P", "I", -1}));
    EXPECT_EQ(marksOf(state, 2), (Marks{"", "", 0}));
}

TEST(FileIndexMarks, PrimaryKeyNamedOtherwiseIsMarkedByItsPrimaryProperty) {
    auto state = bufferOf({"社員番号", "氏名"});
    MarkIndex(state, {"Index_6F2A1B", true, true, {"社員番号"}}, false);
    EXPECT_EQ(marksOf(state, 0), (Marks{"P", "I", -1}));
    EXPECT_EQ(marksOf(state, 1), (Marks{"", "", 0}));
}

TEST(FileIndexMarks, IndexNamedLikeAFieldMarksThatFieldWhateverItCovers) {
    auto state = bufferOf({"CustomerID", "City"});
    MarkIndex(state, {"City", false, false, {"CustomerID"}}, false);
    // The field of its name, and the field it covers.
    EXPECT_EQ(marksOf(state, 0), (Marks{"", "I", 0}));
    EXPECT_EQ(marksOf(state, 1), (Marks{"", "I", 0}));
}

TEST(FileIndexMarks, IndexNamedOtherwiseMarksTheFieldsItCovers) {
    auto state = bufferOf({"A", "B", "C"});
    MarkIndex(state, {"ByB", true, false, {"B"}}, false);
    // Unique alone sets no flag in a file database: the flag is the index's Primary.
    EXPECT_EQ(marksOf(state, 1), (Marks{"", "I", 0}));
    EXPECT_EQ(marksOf(state, 0), (Marks{"", "", 0}));
    EXPECT_EQ(marksOf(state, 2), (Marks{"", "", 0}));
}

TEST(FileIndexMarks, NameComparisonsAreCaseSensitive) {
    auto state = bufferOf({"city", "Key"});
    MarkIndex(state, {"City", false, false, {"CITY"}}, false);
    MarkIndex(state, {"primaryKey", false, false, {"key"}}, false);
    EXPECT_EQ(marksOf(state, 0), (Marks{"", "", 0}));
    EXPECT_EQ(marksOf(state, 1), (Marks{"", "", 0}));
}

// A field of the key keeps its flag whatever index comes before or after the
// key: "Order Details" has a single-field index on a field of its key.
TEST(IndexMarks, AnyFlaggedIndexSetsTheFlagWhateverTheOrder) {
    const db::Index key{"PrimaryKey", true, true, {"OrderID", "ProductID"}};
    const db::Index single{"ProductID", false, false, {"ProductID"}};
    for (const bool odbc : {false, true}) {
        for (const auto& order : {std::vector{key, single}, std::vector{single, key}}) {
            auto state = bufferOf({"OrderID", "ProductID"});
            for (const auto& index : order) MarkIndex(state, index, odbc);
            const std::string keyMark = odbc ? "" : "P";
            EXPECT_EQ(marksOf(state, 0), (Marks{keyMark, "I", -1})) << odbc << order[0].Name;
            EXPECT_EQ(marksOf(state, 1), (Marks{keyMark, "I", -1})) << odbc << order[0].Name;
        }
    }
}

TEST(FileIndexMarks, EveryEntryOfTheNameIsMarkedButNoneBeyondTheFieldCount) {
    auto state = bufferOf({"X", "X"});
    state.FieldBuffer[2].FieldName = "X";  // left over, not part of the table
    MarkIndex(state, {"PrimaryKey", true, true, {"X"}}, false);
    EXPECT_EQ(marksOf(state, 0), (Marks{"P", "I", -1}));
    EXPECT_EQ(marksOf(state, 1), (Marks{"P", "I", -1}));
    EXPECT_EQ(marksOf(state, 2), (Marks{"", "", 0}));
}

TEST(OdbcIndexMarks, UniqueIndexGivesTheFlagAndNeverAKey) {
    auto state = bufferOf({"id", "code"});
    MarkIndex(state, {"PrimaryKey", true, true, {"id"}}, true);
    EXPECT_EQ(marksOf(state, 0), (Marks{"", "I", -1}));
    EXPECT_EQ(marksOf(state, 1), (Marks{"", "", 0}));
}

TEST(OdbcIndexMarks, OnlyTheFirstEntryOfTheName) {
    auto state = bufferOf({"code", "code"});
    MarkIndex(state, {"u_code", true, false, {"code"}}, true);
    EXPECT_EQ(marksOf(state, 0), (Marks{"", "I", -1}));
    EXPECT_EQ(marksOf(state, 1), (Marks{"", "", 0}));
}

TEST(OdbcIndexMarks, IndexNameIsNotMatchedAgainstFields) {
    auto state = bufferOf({"code", "name"});
    MarkIndex(state, {"name", true, false, {"code"}}, true);
    EXPECT_EQ(marksOf(state, 0), (Marks{"", "I", -1}));
    EXPECT_EQ(marksOf(state, 1), (Marks{"", "", 0}));
}

TEST(FieldBuffer, ClearingForgetsALargerTableAndItsSize) {
    ExportState state;
    ReserveFieldBuffer(state, 300);
    ASSERT_EQ(state.FieldBuffer.size(), 301u);
    for (auto& entry : state.FieldBuffer) entry = {"F", "4", "Long", "I", "P", -1, "note"};
    state.TableRemarks = "table note";
    ClearFieldBuffer(state);
    EXPECT_EQ(state.TableRemarks, "");
    ASSERT_EQ(state.FieldBuffer.size(), FieldBufferMinimum);
    for (const auto& entry : state.FieldBuffer) {
        EXPECT_TRUE(entry.FieldName.empty() && entry.SizeText.empty() && entry.TypeText.empty() &&
                    entry.IndexMark.empty() && entry.KeyMark.empty() && entry.UniqueFlag == 0 && entry.Remarks.empty());
    }
    ReserveFieldBuffer(state, 3);
    EXPECT_EQ(state.FieldBuffer.size(), FieldBufferMinimum);
}

}  // namespace
}  // namespace kolumbra
