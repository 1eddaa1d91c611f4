// kolumbra-cli check: each kind of difference between a workbook's forms
// and the database behind them, one schema change at a time.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "cli_runner.h"
#include "sqlite_source.h"
#include "temp_dir.h"

namespace kolumbra::testing {
namespace {

using ::testing::HasSubstr;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

struct CheckCase {
    const char* what;
    std::vector<std::string> exportFlags;
    const char* change;
    std::vector<std::string> expected;  // tab-separated lines
};

const std::string Base = "CREATE TABLE T (a INTEGER, b VARCHAR(10), c TEXT, d INTEGER);\n" + WideTableSql("W", 35);

const std::vector<CheckCase> Cases = {
    {"nothing changed", {}, "", {}},
    {"Japanese type names unchanged", {"--jap"}, "", {}},
    {"a field added at the end", {}, "ALTER TABLE T ADD COLUMN e INTEGER;", {"T\te\tfield added\t\t5"}},
    {"a field removed", {}, "ALTER TABLE T DROP COLUMN c;", {"T\tc\tfield removed\t3\t"}},
    {"a field moved to the front", {}, "DROP TABLE T; CREATE TABLE T (d INTEGER, a INTEGER, b VARCHAR(10), c TEXT);",
     {"T\td\tposition\t4\t1"}},
    {"a type changed", {}, "DROP TABLE T; CREATE TABLE T (a INTEGER, b VARCHAR(10), c TEXT, d VARCHAR(4));",
     {"T\td\ttype\tLong\tText"}},
    {"a type changed, in Japanese", {"--jap"},
     "DROP TABLE T; CREATE TABLE T (a INTEGER, b VARCHAR(10), c TEXT, d VARCHAR(4));", {"T\td\ttype\t長整数型\tテキスト型"}},
    {"a size changed", {}, "DROP TABLE T; CREATE TABLE T (a INTEGER, b VARCHAR(20), c TEXT, d INTEGER);",
     {"T\tb\tsize\t10\t20"}},
    {"marks changed", {}, "CREATE UNIQUE INDEX ux ON T(b);", {"T\tb\tmarks\t\tUI"}},
    {"a table without forms", {}, "CREATE TABLE N (x INTEGER);", {"N\t\tno form\t\tN"}},
    {"forms whose table is gone", {}, "DROP TABLE T;", {"T\t\ttable gone\tT\t"}},
    {"a page left over", {}, "ALTER TABLE W DROP COLUMN F35; ALTER TABLE W DROP COLUMN F34;",
     {"W\t\tpage left over\t2\t", "W\tF34\tfield removed\t34\t", "W\tF35\tfield removed\t35\t"}},
};

TEST(CliCheck, EachDifferenceIsOneLine) {
    for (const CheckCase& c : Cases) {
        SCOPED_TRACE(c.what);
        SqliteSource source("kolumbra check", Base);
        TempDir dir;
        const std::string book = dir.file("book.xls");
        std::vector<std::string> xls = {"xls", "--dsn", source.name(), book};
        xls.insert(xls.begin() + 1, c.exportFlags.begin(), c.exportFlags.end());
        ASSERT_EQ(RunCli(xls, source.Environment()).status, 0);
        source.Execute(c.change);
        const auto result = RunCli({"check", "--dsn", source.name(), book}, source.Environment());
        EXPECT_EQ(result.status, c.expected.empty() ? 0 : 1) << result.err;
        EXPECT_EQ(Lines(result.out), c.expected);
    }
}

TEST(CliCheck, APageMissingAndTablesNamedOrUnknown) {
    SqliteSource source("kolumbra check", Base);
    TempDir dir;
    const std::string book = dir.file("book.xls");
    ASSERT_EQ(RunCli({"xls", "--dsn", source.name(), book}, source.Environment()).status, 0);
    std::string wider;
    for (int i = 1; i <= 31; ++i) wider += "ALTER TABLE T ADD COLUMN G" + std::to_string(i) + " INTEGER;\n";
    source.Execute(wider + "CREATE TABLE N (x INTEGER);");
    const auto named = RunCli({"check", "--dsn", source.name(), book, "T"}, source.Environment());
    EXPECT_EQ(named.status, 1);
    const std::vector<std::string> lines = Lines(named.out);
    ASSERT_EQ(lines.size(), 32u) << named.out;
    EXPECT_EQ(lines[0], "T\t\tpage missing\t\t2");
    EXPECT_EQ(lines[31], "T\tG31\tfield added\t\t35");
    const auto reordered = RunCli({"check", "--dsn", source.name(), book, "T", "N", "T"}, source.Environment());
    EXPECT_EQ(reordered.out, "N\t\tno form\t\tN\n" + named.out) << "in list order, each table once";

    const auto unknown = RunCli({"check", "--dsn", source.name(), book, "W", "Nope"}, source.Environment());
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(unknown.out, "");
    EXPECT_THAT(unknown.err, HasSubstr("no table named 'Nope'"));
}

std::string TypeIntoForms(const std::string& book, const TempDir& dir) {
    return "/usr/bin/python3 " KOLUMBRA_SOURCE_DIR "/tests/support/lo_type.py '" + book + "' '" + dir.path().string() +
           "' 'T!O11=ID-1' 'W_ 1!AA11=memo' 'W_ 2!O11=42' 'W_ 2!A3=kept' +Mine 'Mine!A1==COUNTA($T.E11:E44)'";
}

// Forms typed into and saved again by LibreOffice (as .xls and as .xlsx,
// with its shared strings) and by gnumeric's converter hold those
// applications' records, and still agree.
TEST(CliCheck, FormsSavedByOtherApplicationsAgree) {
    SqliteSource source("kolumbra check", Base);
    TempDir dir;
    const std::string book = dir.file("book.xls"), gnumeric = dir.file("gnumeric.xls"), package = dir.file("book.xlsx");
    ASSERT_EQ(RunCli({"xls", "--dsn", source.name(), book}, source.Environment()).status, 0);
    ASSERT_EQ(RunCli({"xls", "--dsn", source.name(), package}, source.Environment()).status, 0);
    ASSERT_EQ(std::system(TypeIntoForms(book, dir).c_str()), 0);
    ASSERT_EQ(std::system(TypeIntoForms(package, dir).c_str()), 0);
    ASSERT_EQ(std::system(("ssconvert -T Gnumeric_Excel:excel_biff8 '" + book + "' '" + gnumeric + "' 2>/dev/null").c_str()), 0);
    for (const std::string& path : {book, gnumeric, package}) {
        const auto result = RunCli({"check", "--dsn", source.name(), path}, source.Environment());
        EXPECT_EQ(result.status, 0) << path << ": " << result.out << result.err;
    }
    source.Execute("ALTER TABLE T ADD COLUMN e INTEGER;");
    for (const std::string& path : {book, package})
        EXPECT_EQ(RunCli({"check", "--dsn", source.name(), path}, source.Environment()).out, "T\te\tfield added\t\t5\n");

    // A refresh keeps W's surplus page for its title, and says so once.
    source.Execute("ALTER TABLE W DROP COLUMN F35; ALTER TABLE W DROP COLUMN F34;");
    ASSERT_EQ(RunCli({"xls", "--refresh", "--dsn", source.name(), book}, source.Environment()).status, 0);
    const auto refreshed = RunCli({"check", "--dsn", source.name(), book}, source.Environment());
    EXPECT_EQ(refreshed.status, 0) << refreshed.out;
}

TEST(CliCheck, UnreadableInputsAndWrongCommandLines) {
    SqliteSource source("kolumbra check", Base);
    TempDir dir;
    WriteBytes(dir.file("text.xls"), "not a workbook\n");
    const auto book = RunCli({"check", "--dsn", source.name(), dir.file("text.xls")}, source.Environment());
    EXPECT_EQ(book.status, 1);
    EXPECT_EQ(book.out, "");
    EXPECT_THAT(book.err, HasSubstr("text.xls"));
    const auto database = RunCli({"check", dir.file("missing.mdb"), dir.file("text.xls")});
    EXPECT_EQ(database.status, 1);
    EXPECT_THAT(database.err, HasSubstr("DB接続失敗"));
    for (const auto& wrong : {std::vector<std::string>{"check"}, {"check", "--dsn", source.name()},
                              {"check", "--dsn", source.name(), "--jap", "book.xls"}})
        EXPECT_EQ(RunCli(wrong).status, 64);
}

}  // namespace
}  // namespace kolumbra::testing
