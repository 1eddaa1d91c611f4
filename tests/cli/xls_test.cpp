// kolumbra-cli xls as a user runs it: workbooks read back through xlrd,
// exit statuses and what reaches stderr.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "cli_runner.h"
#include "sqlite_source.h"
#include "temp_dir.h"
#include "workbook_probe.h"

namespace kolumbra::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

const std::string Mdb = std::string(KOLUMBRA_FIXTURES) + "/mdb/";
const std::string SameName = "ｼｰﾄ作成時に同一名ｼｰﾄを検出しました｡ Orders\n上書きします、よろしいですか？\n";

std::vector<std::string> sheetNames(const std::string& path) {
    std::vector<std::string> names;
    for (const auto& sheet : ProbeWorkbook(path)) names.push_back(sheet.name);
    return names;
}

SheetView sheetNamed(const std::string& path, const std::string& name) {
    for (const auto& sheet : ProbeWorkbook(path)) {
        if (sheet.name == name) return sheet;
    }
    ADD_FAILURE() << "no sheet " << name;
    return {};
}

TEST(CliXls, EveryTableOfTheDatabaseWhenNoneIsNamed) {
    TempDir dir;
    const auto result = RunCli({"xls", Mdb + "nwind.mdb", dir.file("nwind.xls")});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(result.err.ends_with("nwind.xlsが作成されました\n")) << result.err;
    EXPECT_THAT(sheetNames(dir.file("nwind.xls")),
                ElementsAre("Sheet1", "Categories", "Customers", "Employees", "Order Details", "Orders", "Products",
                            "Shippers", "Suppliers", "Umsätze"));
    const SheetView orders = sheetNamed(dir.file("nwind.xls"), "Orders");
    EXPECT_EQ(orders.value("A7"), "nwind.mdb");
    EXPECT_EQ(orders.value("T7"), "Orders");
    EXPECT_EQ(orders.value("E11"), "OrderID");
    EXPECT_EQ(orders.value("U11"), "Long");
    EXPECT_EQ(orders.value("C11"), "PU");
}

TEST(CliXls, JapaneseTypeNamesAndTheAuthorFromTheFlags) {
    TempDir dir;
    const std::string out = dir.file("社員.xls");
    const auto result = RunCli({"xls", "--jap", "--author", "山田 太郎", Mdb + "hanbai.mdb", out, "社員マスタ"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_THAT(sheetNames(out), ElementsAre("Sheet1", "社員マスタ"));
    const SheetView sheet = sheetNamed(out, "社員マスタ");
    EXPECT_EQ(sheet.value("AC5"), "山田 太郎");
    EXPECT_EQ(sheet.value("E11"), "社員コード");
    EXPECT_EQ(sheet.value("U11"), "テキスト型");

    const auto english = RunCli({"xls", Mdb + "nwind.mdb", dir.file("en.xls"), "Orders"});
    EXPECT_EQ(sheetNamed(dir.file("en.xls"), "Orders").value("U14"), "Date");
    const auto japanese = RunCli({"xls", Mdb + "nwind.mdb", "--jap", dir.file("ja.xls"), "Orders"});
    EXPECT_EQ(sheetNamed(dir.file("ja.xls"), "Orders").value("U14"), "日付 / 時刻型");
}

TEST(CliXls, ASheetOfTheSameNameIsReplacedOnlyWithReplace) {
    TempDir dir;
    const std::string out = dir.file("book.xls");
    ASSERT_EQ(RunCli({"xls", Mdb + "nwind.mdb", out, "Orders", "Shippers"}).status, 0);

    const auto kept = RunCli({"xls", "--author", "second run", Mdb + "nwind.mdb", out, "Orders"});
    EXPECT_EQ(kept.status, 1);
    EXPECT_THAT(kept.err, HasSubstr(SameName));
    EXPECT_THAT(kept.err, HasSubstr("--replace"));
    EXPECT_THAT(sheetNames(out), ElementsAre("Sheet1", "Orders", "Shippers"));
    EXPECT_EQ(sheetNamed(out, "Orders").value("AC5"), "");

    const auto replaced = RunCli({"xls", "--replace", "--author", "third run", Mdb + "nwind.mdb", out, "Orders"});
    EXPECT_EQ(replaced.status, 0) << replaced.err;
    EXPECT_THAT(replaced.err, HasSubstr(SameName));
    EXPECT_THAT(sheetNames(out), ElementsAre("Sheet1", "Shippers", "Orders"));
    EXPECT_EQ(sheetNamed(out, "Orders").value("AC5"), "third run");
}

TEST(CliXls, FailuresGiveANonZeroStatus) {
    TempDir dir;
    const auto missingFolder = RunCli({"xls", Mdb + "nwind.mdb", dir.file("missing/book.xls"), "Orders"});
    EXPECT_EQ(missingFolder.status, 1);
    EXPECT_THAT(missingFolder.err, HasSubstr("ｴﾗｰが発生しました\n"));
    EXPECT_THAT(missingFolder.err, HasSubstr("book.xlsが作成されました"));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "missing"));

    const auto unknown = RunCli({"xls", Mdb + "nwind.mdb", dir.file("some.xls"), "Orders", "Nothing"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_THAT(unknown.err, HasSubstr("no table named 'Nothing'"));
    EXPECT_THAT(sheetNames(dir.file("some.xls")), ElementsAre("Sheet1", "Orders"));

    const auto extension = RunCli({"xls", Mdb + "nwind.mdb", dir.file("book.Xls")});
    EXPECT_EQ(extension.status, 1);
    EXPECT_EQ(extension.err, "Out_xlsはｴｸｾﾙｼｰﾄを指定してください\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("book.Xls")));

    EXPECT_EQ(RunCli({"xls", "/nonexistent/shop.mdb", dir.file("x.xls")}).status, 1);
    EXPECT_EQ(RunCli({"xls", Mdb + "linked-only.mdb", dir.file("x.xls")}).status, 2);
    EXPECT_FALSE(std::filesystem::exists(dir.file("x.xls")));
    EXPECT_EQ(RunCli({"xls", dir.file("x.xls")}).status, 64);
    EXPECT_EQ(RunCli({"xls", "--author"}).status, 64);
    EXPECT_EQ(RunCli({"xls", "--sheet", Mdb + "nwind.mdb", dir.file("x.xls")}).status, 64);
}

TEST(CliXls, AnOdbcDataSource) {
    SqliteSource source("kolumbra cli xls", "CREATE TABLE 取引先 (コード CHAR(5) NOT NULL PRIMARY KEY, 名称 VARCHAR(40));\n" +
                                                WideTableSql("wide", 40));
    TempDir dir;
    const auto result = RunCli({"xls", "--dsn", source.name(), dir.file("odbc.xls")}, source.Environment());
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_THAT(sheetNames(dir.file("odbc.xls")), ElementsAre("Sheet1", "wide_ 1", "wide_ 2", "取引先"));
    const SheetView partners = sheetNamed(dir.file("odbc.xls"), "取引先");
    EXPECT_EQ(partners.value("E11"), "コード");
    EXPECT_EQ(partners.value("C11"), "U");
    EXPECT_EQ(partners.value("D11"), "I");
    EXPECT_EQ(sheetNamed(dir.file("odbc.xls"), "wide_ 2").value("E16"), "F40");
}

}  // namespace
}  // namespace kolumbra::testing
