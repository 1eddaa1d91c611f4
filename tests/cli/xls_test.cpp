// kolumbra-cli xls as a user runs it: workbooks read back through xlrd,
// exit statuses and what reaches stderr.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "cli_runner.h"
#include "sqlite_source.h"
#include "temp_dir.h"
#include "workbook_probe.h"

namespace kolumbra::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

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

TEST(CliXls, RemarksPutNwindsDescriptionsOnTheForm) {
    TempDir dir;
    const auto result = RunCli({"xls", "--remarks", Mdb + "nwind.mdb", dir.file("r.xls"), "Orders"});
    EXPECT_EQ(result.status, 0) << result.err;
    const SheetView orders = sheetNamed(dir.file("r.xls"), "Orders");
    const std::map<std::string, std::string> described = {
        {"OrderID", "Unique order number."},
        {"CustomerID", "Same entry as in Customers table."},
        {"EmployeeID", "Same entry as in Employees table."},
        {"ShipVia", "Same as Shipper ID in Shippers table."},
        {"ShipName", "Name of person or company to receive the shipment."},
        {"ShipAddress", "Street address only -- no post-office box allowed."},
        {"ShipRegion", "State or province."}};
    int rows = 0;
    for (int row = 11; !orders.value("E" + std::to_string(row)).empty(); ++row, ++rows) {
        const std::string name = orders.value("E" + std::to_string(row));
        const auto found = described.find(name);
        EXPECT_EQ(orders.value("AA" + std::to_string(row)), found == described.end() ? "" : found->second) << name;
    }
    EXPECT_EQ(rows, 14);
    EXPECT_EQ(orders.value("A3"), "Customer name, order date, and");
    EXPECT_EQ(orders.value("A4"), "freight charge for each order.");
    // Without the flag (and no kl01.ini beside the program) the block stays empty.
    ASSERT_EQ(RunCli({"xls", Mdb + "nwind.mdb", dir.file("plain.xls"), "Orders"}).status, 0);
    EXPECT_EQ(sheetNamed(dir.file("plain.xls"), "Orders").value("AA11"), "");
}

TEST(CliXls, ASheetOfTheSameNameIsReplacedOnlyWithReplace) {
    for (const char* name : {"book.xls", "book.xlsx"}) {
        SCOPED_TRACE(name);
        TempDir dir;
        const std::string out = dir.file(name);
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
}

TEST(CliXls, FailuresGiveANonZeroStatus) {
    TempDir dir;
    const auto missingFolder = RunCli({"xls", Mdb + "nwind.mdb", dir.file("missing/book.xls"), "Orders"});
    EXPECT_EQ(missingFolder.status, 1);
    EXPECT_THAT(missingFolder.err, HasSubstr("ｴﾗｰが発生しました\n"));
    EXPECT_THAT(missingFolder.err, Not(HasSubstr("が作成されました")));
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

// A table whose definition page is damaged is still listed; both commands
// write its neighbour and report it alone, with the engine's error.
TEST(CliXls, ATableTheReaderCannotDescribeFailsAlone) {
    TempDir dir;
    std::string bytes = ReadBytes(Mdb + "nwind.mdb");
    bytes[581 * 2048] = 0;  // page 581, the definition of Shippers, loses its page type
    const std::string damaged = dir.file("damaged.mdb");
    WriteBytes(damaged, bytes);
    EXPECT_EQ(RunCli({"tables", damaged}).out, RunCli({"tables", Mdb + "nwind.mdb"}).out);

    const std::string failure = "テーブル 'Shippers' の定義を読めません。ファイルが壊れている可能性があります。\n";
    const auto xls = RunCli({"xls", damaged, dir.file("damaged.xls"), "Shippers", "Suppliers"});
    EXPECT_EQ(xls.status, 1);
    EXPECT_THAT(xls.err, HasSubstr("ｴﾗｰが発生しました\n" + failure));
    EXPECT_THAT(sheetNames(dir.file("damaged.xls")), ElementsAre("Sheet1", "Suppliers"));

    const auto csv = RunCli({"csv", damaged, dir.file("damaged.csv"), "Shippers", "Suppliers"});
    EXPECT_EQ(csv.status, 1);
    EXPECT_THAT(csv.err, HasSubstr("書き込みできませんでした\nShippers\n3049 " + failure));
    ASSERT_EQ(RunCli({"csv", Mdb + "nwind.mdb", dir.file("whole.csv"), "Suppliers"}).status, 0);
    EXPECT_EQ(ReadBytes(dir.file("damaged.csv")), ReadBytes(dir.file("whole.csv")));
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

// A workbook of ten sheets that the user may write but not read is left as
// it was, not replaced by a new one. Root reads every file, so as root the
// case runs as nobody.
TEST(CliXls, AWorkbookTheUserCannotReadIsLeftAsItWas) {
    TempDir dir;
    const std::string book = dir.file("book.xls");
    ASSERT_EQ(RunCli({"xls", Mdb + "nwind.mdb", book}).status, 0);
    const std::string before = ReadBytes(book);
    std::optional<CliUser> user;
    if (::geteuid() == 0) {
        const passwd* nobody = ::getpwnam("nobody");
        if (nobody == nullptr) GTEST_SKIP() << "no user nobody to run the case as";
        user = CliUser{nobody->pw_uid, nobody->pw_gid};
        ASSERT_EQ(::chown(dir.path().c_str(), user->uid, user->gid), 0);
        ASSERT_EQ(::chown(book.c_str(), user->uid, user->gid), 0);
    }
    ASSERT_EQ(::chmod(book.c_str(), 0200), 0);
    const auto result = RunCli({"xls", Mdb + "nwind.mdb", book, "Shippers"}, {}, user);
    EXPECT_EQ(result.status, 1);
    EXPECT_THAT(result.err, HasSubstr("ｴﾗｰが発生しました\n'" + book + "' を読み込めません。読み取りの権限がありません。"));
    EXPECT_THAT(result.err, Not(HasSubstr("が作成されました")));
    EXPECT_EQ(ReadBytes(book), before);
}

// Table names that make sheet names no workbook has yet, or that a sheet
// written by the same command already has.
class CliXlsNames : public ::testing::Test {
protected:
    static constexpr const char* Archive = "Customer_Order_Line_Items_Archive_";
    SqliteSource source{"kolumbra xls names", "CREATE TABLE Sheet1 (id INTEGER PRIMARY KEY);\n"
                                              "CREATE TABLE \"2019\" (\"0001\" TEXT, \"1E5\" INTEGER);\n" +
                                                  WideTableSql(Archive + std::string("2019"), 1) +
                                                  WideTableSql(Archive + std::string("2020"), 1) +
                                                  WideTableSql(Archive + std::string("2021"), 1)};
    TempDir dir;
    std::string out = dir.file("names.xls");

    CliResult run(std::vector<std::string> args) {
        args.insert(args.begin(), {"xls", "--dsn", source.name(), out});
        return RunCli(args, source.Environment());
    }
};

TEST_F(CliXlsNames, TablesOfOneCommandNeverTakeEachOthersSheet) {
    const std::string cut = std::string(Archive).substr(0, 30);
    const std::vector<std::string> tables = {Archive + std::string("2019"), Archive + std::string("2020"),
                                             Archive + std::string("2021")};
    const auto first = run(tables);
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_THAT(first.err, Not(HasSubstr("ｼｰﾄ作成時")));
    EXPECT_THAT(sheetNames(out), ElementsAre("Sheet1", cut, cut.substr(0, 29) + "~2", cut.substr(0, 29) + "~3"));

    // Run again: the sheets from before are asked about, replaced and keep their order.
    auto again = tables;
    again.insert(again.begin(), "--replace");
    const auto second = run(again);
    EXPECT_EQ(second.status, 0) << second.err;
    std::size_t questions = 0;
    for (std::size_t at = 0; (at = second.err.find("ｼｰﾄ作成時", at)) != std::string::npos; ++at) ++questions;
    EXPECT_EQ(questions, 3u) << second.err;
    const auto sheets = ProbeWorkbook(out);
    ASSERT_EQ(sheets.size(), 4u);
    for (std::size_t i = 0; i < tables.size(); ++i) EXPECT_EQ(sheets[i + 1].value("T7"), tables[i]);
}

TEST_F(CliXlsNames, ATableNamedLikeTheOnlySheetReplacesIt) {
    const auto declined = run({"Sheet1"});
    EXPECT_EQ(declined.status, 1);
    EXPECT_THAT(declined.err, Not(HasSubstr("が作成されました")));
    EXPECT_EQ(sheetNamed(out, "Sheet1").value("T7"), "");

    const auto replaced = run({"--replace", "Sheet1"});
    EXPECT_EQ(replaced.status, 0) << replaced.err;
    EXPECT_THAT(replaced.err, HasSubstr("ｼｰﾄ作成時に同一名ｼｰﾄを検出しました｡ Sheet1\n"));
    EXPECT_THAT(sheetNames(out), ElementsAre("Sheet1"));
    EXPECT_EQ(sheetNamed(out, "Sheet1").value("T7"), "Sheet1");
}

TEST_F(CliXlsNames, NamesAreTextAndNumbersAreNumbers) {
    const auto result = run({"2019"});
    EXPECT_EQ(result.status, 0) << result.err;
    const SheetView sheet = sheetNamed(out, "2019");
    struct Cell { const char* address; const char* value; const char* kind; };
    for (const Cell c : {Cell{"T7", "2019", "text"}, Cell{"E11", "0001", "text"}, Cell{"E12", "1E5", "text"},
                         Cell{"A11", "1", "number"}, Cell{"A12", "2", "number"}, Cell{"AJ1", " 1/ 1", "text"}}) {
        EXPECT_EQ(sheet.value(c.address), c.value) << c.address;
        EXPECT_EQ(sheet.cell(c.address).kind, c.kind) << c.address;
    }
    for (const char* text : {"A7", "U11", "U12"}) EXPECT_EQ(sheet.cell(text).kind, "text") << text;
    for (const char* number : {"X11", "X12"}) EXPECT_EQ(sheet.cell(number).kind, "number") << number;
}

}  // namespace
}  // namespace kolumbra::testing
