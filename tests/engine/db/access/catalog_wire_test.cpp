// The bytes the reading child sends: whatever arrives damaged or cut off
// is rejected whole, never half-read.

#include <gtest/gtest.h>

#include <cstring>

#include "access_fixture.h"
#include "engine/db/access/catalog_wire.h"

namespace kolumbra::testing {
namespace {

// A table of each kind: read whole, not listed, and one whose definition
// the reader could not read.
std::vector<db::mdb::CatalogTable> SampleCatalogue() {
    db::TableDef orders{"受注データ", 0, {{"受注番号", 4, 4, "伝票の番号"}, {"摘要", 10, 255, "行1\r\n行2"}, {"添付", 101, 4, ""}},
                        {}, "受注の見出し"};
    orders.Indexes.push_back({"PrimaryKey", true, true, {"受注番号"}});
    orders.Indexes.push_back({"摘要", false, false, {"摘要", "受注番号"}});
    return {{orders, ""},
            {{"MSysObjects", db::attr::System, {}, {}, {}}, ""},
            {{"Linked", db::attr::AttachedOdbc, {}, {}, {}}, ""},
            {{"壊れた表", 0, {}, {}, {}}, "定義を読めません"}};
}

std::string Describe(const std::vector<db::mdb::CatalogTable>& tables) {
    std::string text;
    for (const auto& [table, unreadable] : tables) {
        text += table.Name + " " + std::to_string(table.Attributes) + " " + table.Description + " [" + unreadable +
                "]\n" + FieldList(table) + IndexList(table);
        for (const auto& field : table.Fields) text += field.Name + ": " + field.Description + "\n";
    }
    return text;
}

TEST(CatalogWire, CarriesEveryPartOfTheCatalogue) {
    auto decoded = db::wire::Decode(db::wire::Encode(SampleCatalogue()));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(Describe(*decoded), Describe(SampleCatalogue()));
    EXPECT_TRUE(db::wire::Decode(db::wire::Encode({})));
}

TEST(CatalogWire, RejectsEveryTruncationAndTrailingBytes) {
    std::string bytes = db::wire::Encode(SampleCatalogue());
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        EXPECT_FALSE(db::wire::Decode(bytes.substr(0, length))) << length;
    }
    EXPECT_FALSE(db::wire::Decode(bytes + '\0'));
}

TEST(CatalogWire, RejectsCountsBeyondTheBytes) {
    // A table count of 2^32 - 1 must not make the reader allocate that many.
    std::string bytes = db::wire::Encode(SampleCatalogue());
    std::memset(bytes.data(), 0xFF, 4);
    EXPECT_FALSE(db::wire::Decode(bytes));
    // A text length running past the end.
    bytes = db::wire::Encode(SampleCatalogue());
    std::memset(bytes.data() + 4, 0xFF, 4);
    EXPECT_FALSE(db::wire::Decode(bytes));
}

}  // namespace
}  // namespace kolumbra::testing
