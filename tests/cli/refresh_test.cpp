// kolumbra-cli xls --refresh on a workbook LibreOffice typed into and saved
// again (as .xls, and as .xlsx), after the schema behind it changed: what
// was typed stays by its field, the program's cells follow the schema, the
// sheets keep their places and 変更履歴 tells each change.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "cli_runner.h"
#include "sqlite_source.h"
#include "temp_dir.h"
#include "workbook_probe.h"

namespace kolumbra::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsSupersetOf;

const std::string Before = "CREATE TABLE A (id INTEGER PRIMARY KEY, name VARCHAR(20), price INTEGER, note TEXT);\n" +
                           WideTableSql("B", 30) + "CREATE TABLE C (x INTEGER);\n" + WideTableSql("D", 35);
const std::string Change =
    "DROP TABLE A; CREATE TABLE A (id INTEGER PRIMARY KEY, code TEXT, name VARCHAR(40), price TEXT, extra INTEGER);\n"
    "ALTER TABLE B ADD COLUMN G1 TEXT; ALTER TABLE B ADD COLUMN G2 TEXT; ALTER TABLE B ADD COLUMN G3 TEXT;\n"
    "ALTER TABLE B ADD COLUMN G4 TEXT; ALTER TABLE B ADD COLUMN G5 TEXT; ALTER TABLE B ADD COLUMN G6 TEXT;\n"
    "DROP TABLE C; CREATE TABLE E (z INTEGER); DROP TABLE D; CREATE TABLE D (k INTEGER);\n";

// What people typed: header boxes, field IDs and remarks, and a sheet of
// their own counting one form's fields and showing a field of a page that
// the refresh leaves surplus.
const std::vector<std::string> Typing = {
    "A!A3=在庫テーブル", "A!M3=2026/12/01", "A!O12=N-01",   "A!O13=P-1",        "A!AA14=note remark",
    "B!O40=F30-ID",     "B!AA11=first",    "C!O11=C-ID",   "+Mine",            "Mine!A1==COUNTA($A.E11:E44)",
    "Mine!A2==$'D_ 2'.E11",
};

std::vector<std::string> Names(const std::vector<SheetView>& book) {
    std::vector<std::string> names;
    for (const auto& sheet : book) names.push_back(sheet.name);
    return names;
}

const SheetView& Sheet(const std::vector<SheetView>& book, const std::string& name) {
    for (const auto& sheet : book)
        if (sheet.name == name) return sheet;
    throw std::runtime_error("no sheet " + name);
}

// The cells the program writes, as a fresh export writes them.
void ExpectProgramCells(const SheetView& refreshed, const SheetView& fresh) {
    for (const char* cell : {"T7", "A7", "AC5", "AJ1"}) EXPECT_EQ(refreshed.value(cell), fresh.value(cell)) << cell;
    for (int row = 11; row <= 44; ++row) {
        for (const char* column : {"A", "C", "D", "E", "U", "X"}) {
            const std::string at = column + std::to_string(row);
            EXPECT_EQ(refreshed.value(at), fresh.value(at)) << refreshed.name << "!" << at;
        }
    }
}

const std::vector<std::string> Formats = {".xls", ".xlsx"};

TEST(CliRefresh, TypedWorkbookOfAnotherApplicationFollowsTheSchema) {
    for (const std::string& format : Formats) {
        SCOPED_TRACE(format);
        SqliteSource source("kolumbra refresh", Before);
        TempDir dir;
        const std::string book = dir.file("book" + format), fresh = dir.file("fresh" + format);
        const auto xls = [&](const std::string& path) {
            return RunCli({"xls", "--refresh", "--dsn", source.name(), path}, source.Environment());
        };
        const auto check = [&] { return RunCli({"check", "--dsn", source.name(), book}, source.Environment()).status; };
        ASSERT_EQ(RunCli({"xls", "--dsn", source.name(), book}, source.Environment()).status, 0);
        std::string typing = "/usr/bin/python3 " KOLUMBRA_SOURCE_DIR "/tests/support/lo_type.py '" + book + "' '" + dir.path().string() + "'";
        for (const std::string& edit : Typing) typing += " '" + std::regex_replace(edit, std::regex("'"), "'\\''") + "'";
        ASSERT_EQ(std::system(typing.c_str()), 0);

        // Nothing changed yet: nothing is written.
        const std::string typed = ReadBytes(book);
        const auto untouched = xls(book);
        EXPECT_EQ(untouched.status, 0) << untouched.err;
        EXPECT_EQ(untouched.out, "refreshed 0, appended 0, unchanged 4\n");
        EXPECT_EQ(ReadBytes(book), typed);
        EXPECT_EQ(check(), 0);

        source.Execute(Change);
        EXPECT_EQ(check(), 1);
        const auto refreshed = xls(book);
        EXPECT_EQ(refreshed.status, 0) << refreshed.err;
        EXPECT_EQ(refreshed.out, "refreshed 3, appended 1, unchanged 0\n");
        EXPECT_EQ(check(), 0);
        ASSERT_EQ(RunCli({"xls", "--dsn", source.name(), fresh}, source.Environment()).status, 0);

        const std::vector<SheetView> after = ProbeWorkbook(book), expected = ProbeWorkbook(fresh);
        EXPECT_THAT(Names(after), ElementsAre("Sheet1", "A", "B", "B_ 2", "C", "D_ 1", "D_ 2", "E", "変更履歴", "Mine"));
        const SheetView& a = Sheet(after, "A");
        EXPECT_EQ(a.value("E13"), "name");
        EXPECT_EQ(a.value("O13"), "N-01") << "the field ID moved down with its field";
        EXPECT_EQ(a.value("O14"), "P-1");
        EXPECT_EQ(a.value("O12"), "") << "the inserted field has no ID";
        EXPECT_EQ(a.value("AA14"), "") << "the removed field's remarks left the form";
        EXPECT_EQ(a.value("A3"), "在庫テーブル");
        EXPECT_EQ(a.value("M3"), "2026/12/01");
        EXPECT_EQ(Sheet(after, "B").value("O40"), "F30-ID");
        EXPECT_EQ(Sheet(after, "B").value("AA11"), "first");
        EXPECT_EQ(Sheet(after, "C").value("O11"), "C-ID") << "the form of a dropped table stays";
        EXPECT_EQ(Sheet(after, "Mine").cell("A1").kind, "number");
        ExpectProgramCells(a, Sheet(expected, "A"));
        ExpectProgramCells(Sheet(after, "B"), Sheet(expected, "B_ 1"));
        ExpectProgramCells(Sheet(after, "B_ 2"), Sheet(expected, "B_ 2"));
        ExpectProgramCells(Sheet(after, "E"), Sheet(expected, "E"));

        const std::vector<std::string> history = HistoryRows(Sheet(after, "変更履歴"));
        EXPECT_THAT(history, IsSupersetOf({"A\tcode\t項目追加\t\t2\t\t", "A\tname\tﾊﾞｲﾄ数\t20\t40\t\t",
                                           "A\tprice\t属性\tLong\tMemo\t\t",
                                           "A\textra\t項目追加\t\t5\t\t", "A\tnote\t項目削除\t4\t\t\tnote remark",
                                           "B\tG6\t項目追加\t\t36\t\t", "B\t\tﾍﾟｰｼﾞ追加\t\tB_ 2\t\t", "C\t\tﾃｰﾌﾞﾙ削除\tC\t\t\t",
                                           "D\t\tﾍﾟｰｼﾞ削除\tD_ 2\t参照があるため残しました\t\t"}));

        // Up to date now: a second refresh writes nothing and adds no row.
        const std::string done = ReadBytes(book);
        EXPECT_EQ(xls(book).out, "refreshed 0, appended 0, unchanged 4\n");
        EXPECT_EQ(ReadBytes(book), done);
    }
}

// Typed cells a refresh would write again with their value alone, as their
// field moves: the table is left as it was, with the reason, and the
// others go on. A formula whose field stays keeps its table refreshing.
TEST(CliRefresh, TypedCellsThatWouldLoseTheirFormulaOrFormatKeepTheirTable) {
    struct Spoiled {
        const char* table;
        const char* edit;
        const char* reason;
    };
    const std::vector<Spoiled> spoiled = {
        {"F", "F!AA11==LEN($E11)", "シート 'F' のセル AA11 の数式が更新で失われるため、表を更新できません。"},
        {"G", "G!O12=2026-12-01", "シート 'G' のセル O12 の書式が更新で失われるため、表を更新できません。"},
    };
    std::string schema = "CREATE TABLE H (a INTEGER);\n", change = "ALTER TABLE H ADD COLUMN z INTEGER;\n";
    std::string typing = "'H!AA11==LEN($E11)'";
    for (const Spoiled& s : spoiled) {
        schema += "CREATE TABLE " + std::string(s.table) + " (a INTEGER, b INTEGER);\n";
        change += "DROP TABLE " + std::string(s.table) + "; CREATE TABLE " + s.table + " (n INTEGER, a INTEGER, b INTEGER);\n";
        typing += " '" + std::string(s.edit) + "'";
    }
    for (const std::string& format : Formats) {
        SCOPED_TRACE(format);
        SqliteSource source("kolumbra refresh spoil", schema);
        TempDir dir;
        const std::string book = dir.file("book" + format);
        ASSERT_EQ(RunCli({"xls", "--dsn", source.name(), book}, source.Environment()).status, 0);
        ASSERT_EQ(std::system(("/usr/bin/python3 " KOLUMBRA_SOURCE_DIR "/tests/support/lo_type.py '" + book + "' '" +
                               dir.path().string() + "' " + typing).c_str()),
                  0);
        const std::vector<SheetView> typed = ProbeWorkbook(book);

        source.Execute(change);
        const auto refreshed = RunCli({"xls", "--refresh", "--dsn", source.name(), book}, source.Environment());
        EXPECT_EQ(refreshed.status, 1);
        EXPECT_EQ(refreshed.out, "refreshed 1, appended 0, unchanged 0\n");
        const std::vector<SheetView> after = ProbeWorkbook(book);
        for (const Spoiled& s : spoiled) {
            EXPECT_THAT(refreshed.err, HasSubstr(s.reason));
            EXPECT_EQ(Sheet(after, s.table), Sheet(typed, s.table)) << s.table;
        }
        EXPECT_EQ(Sheet(after, "H").value("E12"), "z");
        EXPECT_EQ(Sheet(after, "H").value("AA11"), "1");
    }
}

}  // namespace
}  // namespace kolumbra::testing
