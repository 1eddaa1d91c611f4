// The read, CSV and workbook commands on PostgreSQL and MariaDB servers
// the test run started, each holding the same small sales schema.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <numeric>

#include "../catalogue_text.h"
#include "catalog/connection.h"
#include "cli_runner.h"
#include "catalog/field_type_name.h"
#include "common/cp932.h"
#include "csvexport/csv_listing.h"
#include "engine/db/odbc/odbc_source.h"
#include "layoutbook/export_driver.h"
#include "scripted_window.h"
#include "server_fixture.h"
#include "temp_dir.h"
#include "workbook_probe.h"

namespace kolumbra::testing {
namespace {

using ::testing::ElementsAre;

// The read button on a server's data source, then the two export buttons.
class OnServer : public ::testing::TestWithParam<Server> {
protected:
    void SetUp() override {
        REQUIRE_SERVER(GetParam());
        window.dataSourceChoice = GetParam().dsn;
        Command1_Click(session);
        ASSERT_NE(session.gDb, nullptr) << (window.messages.empty() ? "" : window.messages[0].prompt);
    }

    void Select(const std::vector<std::string>& names) {
        for (auto& entry : window.list) entry.selected = false;
        window.Select(names);
        window.messages.clear();
    }

    std::string Csv(const std::vector<std::string>& names) {
        Select(names);
        window.text3 = dir.file("out.csv");
        Command3_Click(session);
        return cp932::ToUtf8(ReadBytes(window.text3));
    }

    std::vector<SheetView> Xls(const std::vector<std::string>& names) {
        Select(names);
        window.text2 = dir.file("out.xls");
        Command4_Click(session, state);
        EXPECT_EQ(window.messages.size(), 2u) << "confirmation and completion only";
        return ProbeWorkbook(window.text2);
    }

    TempDir dir;
    ScriptedWindow window;
    std::unique_ptr<db::DbEngine> engine = db::MakeDbEngine();
    Session session{window, *engine};
    ExportState state;
};

// Field name, key column and index column of a sheet's field rows.
std::vector<std::string> Rows(const SheetView& sheet) {
    std::vector<std::string> rows;
    for (int r = 11; r <= 44 && !sheet.value("E" + std::to_string(r)).empty(); ++r) {
        const std::string n = std::to_string(r);
        rows.push_back(sheet.value("E" + n) + " [" + sheet.value("C" + n) + "|" + sheet.value("D" + n) + "]");
    }
    return rows;
}

std::string Block(const std::string& table, const std::string& fields) {
    return "ﾃｰﾌﾞﾙ名," + table + ",\r\n項目名,ﾃﾞｰﾀ型,ﾊﾞｲﾄ数\r\n" + fields + "\r\n,,\r\n";
}

TEST_P(OnServer, ListsTheConnectedDatabasesTablesSortedAndNamesIt) {
    EXPECT_EQ(window.ListTexts(), GetParam().tables);
    EXPECT_EQ(session.DbName, "shop");
    EXPECT_EQ(window.text1, "ODBC:" + GetParam().dsn + ".shop");
    EXPECT_TRUE(window.messages.empty());
}

TEST_P(OnServer, ATableOfANameAnotherDatabaseAlsoHasShowsOnlyItsOwnFields) {
    const std::string own = "商品コード,CHAR,8\r\n商品名,Text,40\r\n単価," +
                            std::string(GetParam().kind == "MariaDB" ? "Decimal,16" : "Numeric,16") + "\r\n";
    EXPECT_EQ(Csv({"商品マスタ"}), Block("商品マスタ", own));
    const auto sheets = Xls({"商品マスタ"});
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_EQ(sheets[1].name, "商品マスタ");
    EXPECT_EQ(sheets[1].value("T7"), "商品マスタ");
    EXPECT_EQ(sheets[1].value("A7"), "shop");
    EXPECT_THAT(Rows(sheets[1]), ElementsAre("商品コード [U|I]", "商品名 [|]", "単価 [|]"));
}

TEST_P(OnServer, ReadingTheFieldsOfEveryTableAtOnceMixesNoTables) {
    // Every table selected: the fields of a schema's tables come in one
    // request, and each block still holds its own.
    const std::string csv = Csv(GetParam().tables);
    const std::string own = "商品コード,CHAR,8\r\n商品名,Text,40\r\n単価," +
                            std::string(GetParam().kind == "MariaDB" ? "Decimal,16" : "Numeric,16") + "\r\n";
    EXPECT_NE(csv.find(Block("商品マスタ", own)), std::string::npos);
    EXPECT_NE(csv.find(Block(GetParam().tables[GetParam().kind == "MariaDB" ? 19 : 22],
                             "id,Long,4\r\nname,Text,10\r\n")),
              std::string::npos);
    if (GetParam().kind == "PostgreSQL") {
        EXPECT_NE(csv.find(Block("経理.商品マスタ", "勘定科目,Text,10\r\n原価,Numeric,16\r\n")), std::string::npos);
    }
    EXPECT_NE(csv.find("\r\nf300,Long,4\r\n\r\n,,\r\n"), std::string::npos);
    EXPECT_EQ(window.messages, (std::vector<RecordedMessage>{{window.text3 + "を確認して下さい", Buttons::Ok, Icon::None, "完了"}}));
}

TEST_P(OnServer, MarksOfATwoFieldKeyAUniqueAndAPlainIndex) {
    const auto sheets = Xls({"受注明細"});
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_THAT(Rows(sheets[1]), ElementsAre("受注番号 [U|I]", "行番号 [U|I]", "伝票番号 [U|I]", "商品コード [|I]",
                                             "数量 [|]", "備考 [|]"));
}

TEST_P(OnServer, ATableOf300FieldsIsReadWhole) {
    const std::string csv = Csv({"項目300"});
    EXPECT_NE(csv.find("\r\nf1,Long,4\r\n"), std::string::npos);
    EXPECT_NE(csv.find("\r\nf300,Long,4\r\n\r\n,,\r\n"), std::string::npos);
    EXPECT_EQ(Xls({"項目300"}).size(), 1u + 9);
}

TEST_P(OnServer, CommentsArriveAsDescriptions) {
    auto source = db::OpenOdbcSource(GetParam().dsn);
    const db::TableDef table = TableNamed(*source, "商品マスタ");
    EXPECT_EQ(table.Description, "販売する商品");
    ASSERT_EQ(table.Fields.size(), 3u);
    EXPECT_EQ(table.Fields[0].Description, "");
    EXPECT_EQ(table.Fields[1].Description, "正式な商品名");
    for (std::int16_t i = 0; i < source->TableDefCount(); ++i) {
        const db::TableDef summary = source->TableDefSummary(i);
        EXPECT_TRUE(summary.Fields.empty());
        if (summary.Attributes != 0) continue;  // a view's remarks may name its kind
        EXPECT_EQ(summary.Description, summary.Name == "商品マスタ" ? "販売する商品" : "") << summary.Name;
    }
}

TEST_P(OnServer, TypesAsTheDriverReportsThem) {
    // The README's table of types; each line is name, type code, size and
    // the English and Japanese type names.
    auto source = db::OpenOdbcSource(GetParam().dsn);
    std::string types;
    for (const db::Field& field : TableNamed(*source, "型見本").Fields) {
        types += field.Name + " " + std::to_string(field.Type) + " " + std::to_string(field.Size) + " " +
                 FieldTypeName(field.Type, 0) + " " + FieldTypeName(field.Type, 1) + "\n";
    }
    EXPECT_EQ(types, GetParam().types);
}

TEST_P(OnServer, AConnectionStringOpensTheDatabaseWithoutADataSource) {
    window.dataSourceChoice = ConnectionStringOf(GetParam());
    window.text1.clear();
    Command1_Click(session);
    EXPECT_EQ(window.ListTexts(), GetParam().tables);
    EXPECT_EQ(session.DbName, "shop");
    EXPECT_EQ(window.text1, "ODBC:.shop");
    EXPECT_TRUE(window.messages.empty());
}

TEST_P(OnServer, TheCommandLineConnectsByConnectionString) {
    const std::string connect = ConnectionStringOf(GetParam());
    const std::vector<std::string> environment{"ODBCINI=/nonexistent/odbc.ini", "ODBCSYSINI=/nonexistent"};
    const CliResult tables = RunCli({"tables", "--connect", connect}, environment);
    EXPECT_EQ(tables.status, 0) << tables.err;
    std::string listed;
    for (const std::string& table : GetParam().tables) listed += table + "\n";
    EXPECT_EQ(tables.out, listed);
    const CliResult xls = RunCli({"xls", "--connect", connect, dir.file("out.xls"), "商品マスタ"}, environment);
    EXPECT_EQ(xls.status, 0) << xls.err;
    const auto sheets = ProbeWorkbook(dir.file("out.xls"));
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_EQ(sheets[1].value("A7"), "shop");
    // A driver that is not there: the reason on the line after the first.
    const CliResult driverless = RunCli({"tables", "--connect", "Driver=/nonexistent/driver.so;Database=shop"});
    EXPECT_EQ(driverless.status, 1);
    EXPECT_EQ(driverless.err, "DB接続失敗 DB=\n01000 [unixODBC][Driver Manager]Can't open lib '/nonexistent/driver.so' : "
                              "file not found\n");
}

// The definitions of every table, as TableDefItem gives them.
std::string Definitions(db::Database& source) {
    std::string text;
    for (std::int16_t i = 0; i < source.TableDefCount(); ++i) {
        const db::TableDef table = source.TableDefItem(i);
        text += table.Name + "\n" + FieldList(table) + IndexList(table);
    }
    return text;
}

// How many times the driver manager's trace file `trace` shows `call` entered.
int CallsInTrace(const std::string& trace, const std::string& call) {
    std::ifstream in(trace);
    std::string line;
    int calls = 0;
    while (std::getline(in, line)) {
        if (line.find("[" + call + ".c]") == std::string::npos) continue;
        if (std::getline(in, line) && line.find("Entry:") != std::string::npos) ++calls;
    }
    return calls;
}

// The driver manager decides once per process whether it traces: this
// test opens no source before it has set its trace file.
class ReadAhead : public ::testing::TestWithParam<Server> {};

TEST_P(ReadAhead, DefinitionsReadPerSchemaAreThoseReadTableByTable) {
    REQUIRE_SERVER(GetParam());
    TempDir dir;
    const std::string trace = dir.file("trace");
    std::ofstream(dir.file("odbcinst.ini")) << "[ODBC]\nTrace=Yes\nTraceFile=" << trace << "\n";
    ::setenv("ODBCSYSINI", dir.path().c_str(), 1);
    const std::string byTable = Definitions(*db::OpenOdbcSource(GetParam().dsn));
    if (CallsInTrace(trace, "SQLColumns") == 0) GTEST_SKIP() << "this process had opened a source untraced";
    const int statistics = CallsInTrace(trace, "SQLStatistics"), keys = CallsInTrace(trace, "SQLPrimaryKeys");

    auto source = db::OpenOdbcSource(GetParam().dsn);
    std::vector<std::int16_t> all(static_cast<std::size_t>(source->TableDefCount()));
    std::iota(all.begin(), all.end(), std::int16_t{0});
    source->ExpectDefinitionReads(all);
    EXPECT_EQ(Definitions(*source), byTable);
    EXPECT_NE(byTable.find("索引見本\n"), std::string::npos);
    // Only the tables of no index (型見本 and 項目300) and the views ask the
    // driver for theirs.
    const int ownCalls = static_cast<int>(all.size() - GetParam().tables.size()) + 2;
    EXPECT_EQ(CallsInTrace(trace, "SQLStatistics") - statistics, ownCalls);
    EXPECT_EQ(CallsInTrace(trace, "SQLPrimaryKeys") - keys, ownCalls);
}

INSTANTIATE_TEST_SUITE_P(Servers, ReadAhead, ::testing::ValuesIn(Servers()),
                         [](const auto& info) { return info.param.kind; });

INSTANTIATE_TEST_SUITE_P(Servers, OnServer, ::testing::ValuesIn(Servers()),
                         [](const auto& info) { return info.param.kind; });

class OnPostgreSql : public OnServer {};

TEST_P(OnPostgreSql, TheOtherSchemasTableOfTheSameNameIsQualifiedAndKeepsItsFields) {
    const std::string own = "勘定科目,Text,10\r\n原価,Numeric,16\r\n";
    EXPECT_EQ(Csv({"経理.商品マスタ"}), Block("経理.商品マスタ", own));
    const auto sheets = Xls({"経理.商品マスタ", "商品マスタ"});
    ASSERT_EQ(sheets.size(), 3u);
    EXPECT_EQ(sheets[2].name, "経理.商品マスタ");
    EXPECT_EQ(sheets[2].value("T7"), "経理.商品マスタ");
    EXPECT_THAT(Rows(sheets[2]), ElementsAre("勘定科目 [U|I]", "原価 [|]"));
    EXPECT_THAT(Rows(sheets[1]), ElementsAre("商品コード [U|I]", "商品名 [|]", "単価 [|]"));
}

TEST_P(OnPostgreSql, AStoppedServerIsAConnectionFailureAndTheWindowStaysUsable) {
    window.dataSourceChoice = "Kolumbra PostgreSQL stopped";
    Command1_Click(session);
    // The first line as it always was, then the driver's reason.
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_THAT(window.messages[0].prompt, ::testing::StartsWith("DB接続失敗 DB=ODBC:Kolumbra PostgreSQL.shop\r08001 "));
    EXPECT_THAT(window.messages[0].prompt, ::testing::HasSubstr("/stopped/.s.PGSQL.5432"));
    EXPECT_TRUE(window.list.empty());
    EXPECT_FALSE(session.gDb);
    window.dataSourceChoice = GetParam().dsn;
    Command1_Click(session);
    EXPECT_EQ(window.ListTexts(), GetParam().tables);
}

TEST_P(OnPostgreSql, DataSourceOptionsShowBooleansAndUnknownTypesAsThemselves) {
    // BoolsAsChar=0 and UnknownsAsLongVarchar=1, as the README advises.
    auto source = db::OpenOdbcSource("Kolumbra PostgreSQL typed");
    std::string types;
    for (const db::Field& field : TableNamed(*source, "型見本").Fields) {
        if (field.Name == "c_boolean" || field.Name == "c_json") types += FieldTypeName(field.Type, 0) + " ";
    }
    EXPECT_EQ(types, "Boolean Memo ");
}

INSTANTIATE_TEST_SUITE_P(Servers, OnPostgreSql, ::testing::Values(Servers()[0]),
                         [](const auto& info) { return info.param.kind; });

}  // namespace
}  // namespace kolumbra::testing
