#include <gtest/gtest.h>

#include "cli_runner.h"

namespace kolumbra::testing {
namespace {

const std::string Mdb = std::string(KOLUMBRA_FIXTURES) + "/mdb/";

TEST(CliTables, ListsTheOrdinaryTablesInNameOrder) {
    // Independent expectation: mdb-tables lists the same user tables in
    // physical order; the list is sorted as the engine's name index sorts.
    auto result = RunCli({"tables", Mdb + "nwind.mdb"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "Categories\nCustomers\nEmployees\nOrder Details\nOrders\nProducts\nShippers\nSuppliers\nUmsätze\n");
}

TEST(CliTables, ListsJapaneseTablesByCodePoint) {
    auto result = RunCli({"tables", Mdb + "hanbai.mdb"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "コントロールマスタ\nコード名称マスタ\nメッセージマスタ\n入金予定データ\n取引データ\n商品マスタ\n"
              "商品分類マスタ\n商品集計\n得意先マスタ\n得意先集計\n社員マスタ\n社員変更履歴\n郵便番号マスタ\n");
}

TEST(CliTables, AccdbAndJet4Files) {
    EXPECT_EQ(RunCli({"tables", Mdb + "sample.accdb"}).out, "Asset Items\n");
    EXPECT_EQ(RunCli({"tables", Mdb + "date.mdb"}).out, "DateTest\n");
}

TEST(CliTables, LinkedTablesAreNotListed) {
    auto result = RunCli({"tables", Mdb + "linked-only.mdb"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "ﾃｰﾌﾞﾙが見つかりませんでした(ﾘﾝｸﾃｰﾌﾞﾙはｶｳﾝﾄされません)\n");
}

TEST(CliTables, AnUnopenableDatabaseIsAnOpenFailure) {
    auto result = RunCli({"tables", "/nonexistent/shop.mdb"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "DB接続失敗 DB=/nonexistent/shop.mdb\nファイル '/nonexistent/shop.mdb' が見つかりません。\n");
    EXPECT_EQ(RunCli({"tables", KOLUMBRA_SOURCE_DIR "/README.md"}).status, 1);
    EXPECT_EQ(RunCli({"tables", "/tmp"}).status, 1);
}

}  // namespace
}  // namespace kolumbra::testing
