// Fields and indexes of the fixtures' ordinary tables. Field expectations
// come from mdb-schema's table definitions; index names from mdb-schema's
// mysql output, the fixtures' notes and MSysRelationships.

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <regex>

#include "access_fixture.h"

namespace kolumbra::testing {
namespace {

TEST(AccessFields, Jet3TypesAndSizes) {
    auto database = OpenMdbFixture("nwind.mdb");
    EXPECT_EQ(FieldList(TableNamed(*database, "Employees")),
              "EmployeeID 4 4\nLastName 10 20\nFirstName 10 10\nTitle 10 30\nTitleOfCourtesy 10 25\n"
              "BirthDate 8 8\nHireDate 8 8\nAddress 10 60\nCity 10 15\nRegion 10 15\nPostalCode 10 10\n"
              "Country 10 15\nHomePhone 10 24\nExtension 10 4\nPhoto 11 0\nNotes 12 0\nReportsTo 4 4\n");
    EXPECT_EQ(FieldList(TableNamed(*database, "Order Details")),
              "OrderID 4 4\nProductID 4 4\nUnitPrice 5 8\nQuantity 3 2\nDiscount 6 4\n");
}

TEST(AccessFields, Jet4JapaneseNumericAndDoubleFields) {
    // Text sizes are stored in bytes in Jet 4: 4 characters, not 8.
    auto database = OpenMdbFixture("hanbai.mdb");
    EXPECT_EQ(FieldList(TableNamed(*database, "商品集計")),
              "商品コード 10 4\n経過月 20 16\n当月売上数量 7 8\n当月売上金額 7 8\n更新日 8 8\n組織コード 10 4\n");
}

TEST(AccessFields, AceTextCurrencyAndMemo) {
    auto database = OpenMdbFixture("sample.accdb");
    EXPECT_EQ(FieldList(TableNamed(*database, "Asset Items")),
              "Asset No 10 5\nAsset Category 10 20\nMake 10 25\nModel 10 25\nDescription 10 40\nOwner 10 20\n"
              "Serial No 10 15\nAcquired 8 8\nCost 5 8\nWarranty 4 4\nTax Scale 10 1\nSupplier No 10 5\n"
              "Comments 12 0\n");
}

// The engine's type code and size for a column type as mdb-schema words it.
std::string EngineTypeAndSize(const std::string& schemaType) {
    static const std::map<std::string, std::string> fixed = {
        {"Boolean", "1 1"},  {"Byte", "2 1"},         {"Integer", "3 2"},          {"Long Integer", "4 4"},
        {"Currency", "5 8"}, {"Single", "6 4"},       {"Double", "7 8"},           {"DateTime", "8 8"},
        {"OLE", "11 0"},     {"Memo/Hyperlink", "12 0"}, {"Replication ID", "15 16"}, {"Numeric", "20 16"}};
    std::smatch m;
    if (std::regex_match(schemaType, m, std::regex(R"(Text \((\d+)\))"))) return "10 " + m[1].str();
    std::string base = schemaType.substr(0, schemaType.find(" ("));
    auto known = fixed.find(base);
    return known == fixed.end() ? "? " + schemaType : known->second;
}

// Field lists of every user table as mdb-schema describes them.
std::map<std::string, std::string> SchemaFieldLists(const std::string& path) {
    std::map<std::string, std::string> tables;
    std::string command = "mdb-schema --no-not-null '" + path + "' access 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return tables;
    std::string current;
    char line[4096];
    const std::regex create(R"(^CREATE TABLE \[(.*)\]\s*$)");
    const std::regex column(R"(^\t\[(.*)\]\t+(.*?),?\s*$)");
    while (std::fgets(line, sizeof line, pipe)) {
        std::string text(line);
        std::smatch m;
        if (std::regex_match(text, m, create)) {
            current = m[1];
            tables[current];
        } else if (!current.empty() && std::regex_match(text, m, column)) {
            tables[current] += m[1].str() + " " + EngineTypeAndSize(m[2]) + "\n";
        }
    }
    ::pclose(pipe);
    return tables;
}

TEST(AccessFields, EveryOrdinaryTableMatchesMdbSchema) {
    for (const char* fixture : {"nwind.mdb", "date.mdb", "hanbai.mdb", "sample.accdb", "linked-only.mdb"}) {
        SCOPED_TRACE(fixture);
        auto expected = SchemaFieldLists(MdbFixture(fixture));
        auto database = OpenMdbFixture(fixture);
        std::map<std::string, std::string> actual;
        for (std::int16_t i = 0; i < database->TableDefCount(); ++i) {
            db::TableDef table = database->TableDefItem(i);
            if (table.Attributes == 0) actual[table.Name] = FieldList(table);
        }
        EXPECT_EQ(actual, expected);
    }
}

// Descriptions of fields and tables, counted over every ordinary table.
TEST(AccessDescriptions, EveryDescribedFieldAndTableOfTheFixtures) {
    struct Expected {
        const char* fixture;
        int fields, tables;
    };
    for (const Expected& expected : {Expected{"nwind.mdb", 49, 9}, Expected{"sample.accdb", 13, 0},
                                     Expected{"hanbai.mdb", 0, 0}}) {
        SCOPED_TRACE(expected.fixture);
        auto database = OpenMdbFixture(expected.fixture);
        int fields = 0, tables = 0;
        for (std::int16_t i = 0; i < database->TableDefCount(); ++i) {
            const db::TableDef table = database->TableDefItem(i);
            tables += table.Description.empty() ? 0 : 1;
            for (const auto& field : table.Fields) fields += field.Description.empty() ? 0 : 1;
        }
        EXPECT_EQ(fields, expected.fields);
        EXPECT_EQ(tables, expected.tables);
    }
    auto nwind = OpenMdbFixture("nwind.mdb");
    const db::TableDef orders = TableNamed(*nwind, "Orders");
    EXPECT_EQ(orders.Description, "Customer name, order date, and freight charge for each order.");
    ASSERT_EQ(orders.Fields.size(), 14u);
    EXPECT_EQ(orders.Fields[0].Description, "Unique order number.");
    EXPECT_EQ(orders.Fields[3].Name, "OrderDate");
    EXPECT_EQ(orders.Fields[3].Description, "");
    EXPECT_EQ(orders.Fields[9].Description, "Street address only -- no post-office box allowed.");
}

TEST(AccessIndexes, TwoFieldPrimaryKeyAndRelationshipIndexes) {
    // Relationship indexes carry the relationship's name and its columns
    // (MSysRelationships: "OrdersOrder Details" on OrderID).
    auto database = OpenMdbFixture("nwind.mdb");
    EXPECT_EQ(IndexList(TableNamed(*database, "Order Details")),
              "OrderID - - OrderID\n"
              "OrdersOrder Details - - OrderID\n"
              "PrimaryKey U P OrderID,ProductID\n"
              "ProductID - - ProductID\n"
              "ProductsOrder Details - - ProductID\n");
}

TEST(AccessIndexes, RelationshipIndexesWithoutAnIndexOfTheirOwn) {
    // ShipVia has no index of its own: libmdb never reads the physical
    // index of ShippersOrders. The referenced side's ".r" index shares the
    // primary key's.
    auto database = OpenMdbFixture("nwind.mdb");
    EXPECT_EQ(IndexList(TableNamed(*database, "Orders")),
              ".rI - - OrderID\n"
              "CustomerID - - CustomerID\n"
              "CustomersOrders - - CustomerID\n"
              "EmployeeID - - EmployeeID\n"
              "EmployeesOrders - - EmployeeID\n"
              "OrderDate - - OrderDate\n"
              "PrimaryKey U P OrderID\n"
              "ShippedDate - - ShippedDate\n"
              "ShippersOrders - - ShipVia\n"
              "ShipPostalCode - - ShipPostalCode\n");
    EXPECT_EQ(IndexList(TableNamed(*database, "Categories")),
              ".rC - - CategoryID\nCategoryName U - CategoryName\nPrimaryKey U P CategoryID\n");
}

TEST(AccessIndexes, JapanesePrimaryKeysNamedIndex) {
    auto database = OpenMdbFixture("hanbai.mdb");
    EXPECT_EQ(IndexList(TableNamed(*database, "コード名称マスタ")), "Index_69240B87_B45A_4EE2 U P 区分,コード\n");
    EXPECT_EQ(IndexList(TableNamed(*database, "取引データ")), "Index_0E2A7A47_02E4_46A6 U P 取引区分,伝票番号,行\n");
    EXPECT_EQ(IndexList(TableNamed(*database, "社員マスタ")), "Index_B86B1CE4_5425_4479 U P 社員コード\n");
    EXPECT_EQ(IndexList(TableNamed(*database, "入金予定データ")), "");
}

TEST(AccessIndexes, AcePrimaryKey) {
    auto database = OpenMdbFixture("sample.accdb");
    EXPECT_EQ(IndexList(TableNamed(*database, "Asset Items")), "PrimaryKey U P Asset No\n");
}

}  // namespace
}  // namespace kolumbra::testing
