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

std::vector<std::string> FirstFields(const std::vector<db::TableDef>& defs) {
    std::vector<std::string> names;
    for (const auto& def : defs) names.push_back(def.Fields.at(0).Name);
    return names;
}

class Catalogue : public ::testing::Test {
protected:
    MemoryDatabase database{{Def("A", "a1"), Def("T", "t1"), Def("t", "lower"), Def("B", "b1"), Def("T", "t2")}};
    TableCatalogue catalogue{&database};
};

TEST_F(Catalogue, FindReadsOnlyUpToTheFirstMatchAndNeverTwice) {
    EXPECT_EQ(catalogue.Find("T")->Fields.at(0).Name, "t1");
    EXPECT_EQ(database.itemReads, 2);
    EXPECT_EQ(catalogue.Find("A")->Fields.at(0).Name, "a1");
    EXPECT_EQ(database.itemReads, 2);
    EXPECT_FALSE(catalogue.Find("Gone"));
    EXPECT_FALSE(catalogue.Find("b"));
    EXPECT_EQ(database.itemReads, 5);
    EXPECT_EQ(database.countReads, 1);
}

TEST_F(Catalogue, FindAllGivesEveryExactMatchInCatalogueOrder) {
    EXPECT_EQ(FirstFields(catalogue.FindAll("T")), (std::vector<std::string>{"t1", "t2"}));
    EXPECT_EQ(FirstFields(catalogue.FindAll("t")), std::vector<std::string>{"lower"});
    EXPECT_TRUE(catalogue.FindAll("Gone").empty());
    EXPECT_EQ(catalogue.Find("B")->Fields.at(0).Name, "b1");
    EXPECT_EQ(database.itemReads, 5);
    EXPECT_EQ(database.countReads, 1);
}

TEST_F(Catalogue, AFailedReadPassesOnAndIsRetriedAlone) {
    database.failAtItem = 3;
    EXPECT_THROW(catalogue.FindAll("A"), RuntimeError);
    // The first match lies before the failing definition.
    EXPECT_EQ(catalogue.Find("T")->Fields.at(0).Name, "t1");
    EXPECT_THROW(catalogue.Find("B"), RuntimeError);
    EXPECT_EQ(database.itemReads, 5);

    database.failAtItem.reset();
    EXPECT_EQ(FirstFields(catalogue.FindAll("T")), (std::vector<std::string>{"t1", "t2"}));
    EXPECT_EQ(database.itemReads, 7);
}

TEST(CatalogueWithoutDatabase, FindsNothing) {
    TableCatalogue catalogue(nullptr);
    EXPECT_FALSE(catalogue.Find("A"));
    EXPECT_TRUE(catalogue.FindAll("A").empty());
}

}  // namespace
}  // namespace kolumbra
