#include "catalog/table_catalogue.h"

#include <gtest/gtest.h>

#include "common/runtime_error.h"
#include "memory_database.h"

namespace kolumbra {
namespace {

using testing::MemoryDatabase;

db::TableDef Def(std::string name, std::string field) {
    return {std::move(name), 0, {{std::move(field), 10, 1, ""}}, {}, {}};
}

std::vector<std::string> Names(const std::vector<db::Field>& fields) {
    std::vector<std::string> names;
    for (const auto& field : fields) names.push_back(field.Name);
    return names;
}

class Catalogue : public ::testing::Test {
protected:
    MemoryDatabase database{{Def("A", "a1"), Def("T", "t1"), Def("t", "lower"), Def("B", "b1"), Def("T", "t2")}};
    TableCatalogue catalogue{&database};
};

TEST_F(Catalogue, OnlyTheMatchingDefinitionIsReadAndNeverTwice) {
    EXPECT_EQ(catalogue.Find("T")->Fields.at(0).Name, "t1");
    EXPECT_EQ(database.itemReads, 1);
    EXPECT_EQ(catalogue.Find("T")->Fields.at(0).Name, "t1");
    EXPECT_EQ(catalogue.Find("A")->Fields.at(0).Name, "a1");
    EXPECT_EQ(database.itemReads, 2);
    EXPECT_FALSE(catalogue.Find("Gone"));
    EXPECT_FALSE(catalogue.Find("b"));
    EXPECT_EQ(database.itemReads, 2);
    // Each summary once, the count once.
    EXPECT_EQ(database.summaryReads, 5);
    EXPECT_EQ(database.countReads, 1);
}

TEST_F(Catalogue, FieldsOfAllJoinsEveryExactMatchInCatalogueOrder) {
    EXPECT_EQ(Names(catalogue.FieldsOfAll("T")), (std::vector<std::string>{"t1", "t2"}));
    EXPECT_EQ(Names(catalogue.FieldsOfAll("t")), std::vector<std::string>{"lower"});
    EXPECT_TRUE(catalogue.FieldsOfAll("Gone").empty());
    // A definition read whole serves its fields too.
    EXPECT_EQ(catalogue.Find("B")->Fields.at(0).Name, "b1");
    EXPECT_EQ(Names(catalogue.FieldsOfAll("B")), std::vector<std::string>{"b1"});
    EXPECT_EQ(Names(catalogue.FieldsOfAll("T")), (std::vector<std::string>{"t1", "t2"}));
    EXPECT_EQ(database.itemReads, 4);
}

TEST_F(Catalogue, AFailingDefinitionFailsOnlyItsOwnNameAndIsRetried) {
    database.failAtItem = 3;
    EXPECT_THROW(catalogue.FieldsOfAll("B"), RuntimeError);
    EXPECT_THROW(catalogue.Find("B"), RuntimeError);
    EXPECT_EQ(Names(catalogue.FieldsOfAll("T")), (std::vector<std::string>{"t1", "t2"}));
    EXPECT_EQ(catalogue.Find("A")->Fields.at(0).Name, "a1");

    database.failAtItem.reset();
    EXPECT_EQ(catalogue.Find("B")->Fields.at(0).Name, "b1");
    EXPECT_EQ(database.itemReads, 6);
}

TEST_F(Catalogue, AnAnnouncementNamesEveryDefinitionOfTheNamesAndNeverFails) {
    catalogue.ExpectDefinitionsOf({"T", "B", "Gone"});
    EXPECT_EQ(database.announced, (std::vector<std::vector<std::int16_t>>{{1, 3, 4}}));
    // An engine failing on the announcement fails no table: each one's own
    // read succeeds or fails alone.
    database.failAnnouncements = true;
    database.failAtItem = 3;
    EXPECT_NO_THROW(catalogue.ExpectDefinitionsOf({"A", "B"}));
    EXPECT_THROW(catalogue.Find("B"), RuntimeError);
    EXPECT_EQ(catalogue.Find("A")->Fields.at(0).Name, "a1");
}

TEST(CatalogueWithoutDatabase, FindsNothing) {
    TableCatalogue catalogue(nullptr);
    EXPECT_FALSE(catalogue.Find("A"));
    EXPECT_TRUE(catalogue.FieldsOfAll("A").empty());
}

}  // namespace
}  // namespace kolumbra
