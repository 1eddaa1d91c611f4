// The table definitions of each fixture: every catalogue table (local,
// linked, system), in name-index order, with its attributes. Expected
// values come from MSysObjects as mdb-export prints it (Type, Flags).

#include <gtest/gtest.h>

#include <filesystem>

#include "access_fixture.h"
#include "common/runtime_error.h"
#include "engine/db/access/access_file.h"

namespace kolumbra::testing {
namespace {

TEST(AccessTableList, Jet3NorthwindSortsLettersCaseInsensitively) {
    // Physical order starts MSysObjects, MSysACEs, ..., Order Details; the
    // MSys* tables have Flags 0x80000000 or 0x2. "MSysAccessObjects" comes
    // before "MSysACEs" only when letters compare without case.
    auto database = OpenMdbFixture("nwind.mdb");
    EXPECT_EQ(TableList(*database),
              "Categories 00000000\n"
              "Customers 00000000\n"
              "Employees 00000000\n"
              "MSysAccessObjects 80000002\n"
              "MSysACEs 80000002\n"
              "MSysCmdbars 80000002\n"
              "MSysIMEXColumns 80000002\n"
              "MSysIMEXSpecs 80000002\n"
              "MSysModules 80000002\n"
              "MSysModules2 80000002\n"
              "MSysObjects 80000002\n"
              "MSysQueries 80000002\n"
              "MSysRelationships 80000002\n"
              "Order Details 00000000\n"
              "Orders 00000000\n"
              "Products 00000000\n"
              "Shippers 00000000\n"
              "Suppliers 00000000\n"
              "Umsätze 00000000\n");
}

TEST(AccessTableList, ReportsShareNamesWithNoTable) {
    // nwind holds reports (MSysObjects Type -32764, which libmdb reports as
    // type 4 like an ODBC-linked table); none of them is a table definition.
    auto database = OpenMdbFixture("nwind.mdb");
    EXPECT_EQ(TableList(*database).find("Invoice"), std::string::npos);
    EXPECT_EQ(TableList(*database).find("Catalog"), std::string::npos);
}

TEST(AccessTableList, JapaneseNamesFollowCodePoints) {
    // コントロール (U+30F3) before コード (U+30FC); 入 (U+5165) before 取 (U+53D6).
    auto database = OpenMdbFixture("hanbai.mdb");
    EXPECT_EQ(TableList(*database),
              "MSysAccessStorage 80000002\n"
              "MSysACEs 80000002\n"
              "MSysNavPaneGroupCategories 80000002\n"
              "MSysNavPaneGroups 80000002\n"
              "MSysNavPaneGroupToObjects 80000002\n"
              "MSysNavPaneObjectIDs 80000002\n"
              "MSysObjects 80000002\n"
              "MSysQueries 80000002\n"
              "MSysRelationships 80000002\n"
              "コントロールマスタ 00000000\n"
              "コード名称マスタ 00000000\n"
              "メッセージマスタ 00000000\n"
              "入金予定データ 00000000\n"
              "取引データ 00000000\n"
              "商品マスタ 00000000\n"
              "商品分類マスタ 00000000\n"
              "商品集計 00000000\n"
              "得意先マスタ 00000000\n"
              "得意先集計 00000000\n"
              "社員マスタ 00000000\n"
              "社員変更履歴 00000000\n"
              "郵便番号マスタ 00000000\n");
}

TEST(AccessTableList, OdbcLinkedTablesAreLinkedNotLocal) {
    // Thirteen MSysObjects rows of Type 4 (Flags 0x100000, a Connect string
    // "DSN=..."), beside the system tables.
    auto database = OpenMdbFixture("linked-only.mdb");
    EXPECT_EQ(TableList(*database),
              "MSysAccessStorage 80000002\n"
              "MSysACEs 80000002\n"
              "MSysNameMap 80000002\n"
              "MSysNavPaneGroupCategories 80000002\n"
              "MSysNavPaneGroups 80000002\n"
              "MSysNavPaneGroupToObjects 80000002\n"
              "MSysNavPaneObjectIDs 80000002\n"
              "MSysObjects 80000002\n"
              "MSysQueries 80000002\n"
              "MSysRelationships 80000002\n"
              "コントロールマスタ 20000000\n"
              "コード名称マスタ 20000000\n"
              "メッセージマスタ 20000000\n"
              "入金予定データ 20000000\n"
              "取引データ 20000000\n"
              "商品マスタ 20000000\n"
              "商品分類マスタ 20000000\n"
              "商品集計 20000000\n"
              "得意先マスタ 20000000\n"
              "得意先集計 20000000\n"
              "社員マスタ 20000000\n"
              "社員変更履歴 20000000\n"
              "郵便番号マスタ 20000000\n");
}

TEST(AccessTableList, AceAndJet4SystemFlags) {
    // Flags 0x80030000 (complex-type tables), 0xA and 0x2 all count as system;
    // the attachment table of date.mdb (0x800A0000) too. "_" sorts before letters.
    auto accdb = OpenMdbFixture("sample.accdb");
    EXPECT_EQ(TableList(*accdb),
              "Asset Items 00000000\n"
              "MSysAccessStorage 80000002\n"
              "MSysAccessXML 80000002\n"
              "MSysACEs 80000002\n"
              "MSysComplexColumns 80000002\n"
              "MSysComplexType_Attachment 80000002\n"
              "MSysComplexType_Decimal 80000002\n"
              "MSysComplexType_GUID 80000002\n"
              "MSysComplexType_IEEEDouble 80000002\n"
              "MSysComplexType_IEEESingle 80000002\n"
              "MSysComplexType_Long 80000002\n"
              "MSysComplexType_Short 80000002\n"
              "MSysComplexType_Text 80000002\n"
              "MSysComplexType_UnsignedByte 80000002\n"
              "MSysNavPaneGroupCategories 80000002\n"
              "MSysNavPaneGroups 80000002\n"
              "MSysNavPaneGroupToObjects 80000002\n"
              "MSysNavPaneObjectIDs 80000002\n"
              "MSysObjects 80000002\n"
              "MSysQueries 80000002\n"
              "MSysRelationships 80000002\n");
    auto jet4 = OpenMdbFixture("date.mdb");
    std::string first = "DateTest 00000000\nf_75A72A8786B149369D90EB962DAB8A2C_Data 80000002\n";
    EXPECT_EQ(TableList(*jet4).substr(0, first.size()), first);
}

TEST(AccessTableList, NameIsThePathAsGivenAndConnectIsEmpty) {
    auto absolute = OpenMdbFixture("date.mdb");
    EXPECT_EQ(absolute->Name(), MdbFixture("date.mdb"));
    EXPECT_EQ(absolute->Connect(), "");

    // A relative path stays relative in Name but is read from the folder it
    // was relative to.
    auto previous = std::filesystem::current_path();
    std::filesystem::current_path(std::string(KOLUMBRA_FIXTURES) + "/mdb");
    auto relative = db::OpenAccessFile("./date.mdb");
    std::filesystem::current_path(previous);
    EXPECT_EQ(relative->Name(), "./date.mdb");
    EXPECT_EQ(TableNamed(*relative, "DateTest").Fields.size(), 6u);
}

TEST(AccessTableList, AnItemOutsideTheCollectionIsAnError) {
    auto database = OpenMdbFixture("date.mdb");
    for (std::int16_t index : {database->TableDefCount(), std::int16_t{-1}}) {
        try {
            database->TableDefItem(index);
            ADD_FAILURE() << "item " << index;
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.number(), db::dberr::ItemNotFound);
        }
    }
}

}  // namespace
}  // namespace kolumbra::testing
