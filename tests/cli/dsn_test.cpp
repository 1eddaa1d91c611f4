// kolumbra-cli tables through the sample data source the build declares.

#include <gtest/gtest.h>

#include "cli_runner.h"
#include "common/cp932.h"
#include "sqlite_source.h"
#include "temp_dir.h"
#include "workbook_probe.h"

namespace kolumbra::testing {
namespace {

const std::vector<std::string> SampleEnvironment{"ODBCINI=" KOLUMBRA_BINARY_DIR "/sample/odbc.ini",
                                                 "ODBCSYSINI=" KOLUMBRA_BINARY_DIR "/sample"};

TEST(CliDsn, ListsTheSampleTablesByNameWithoutTheView) {
    // Sorted as file databases are, by code point; the view 得意先別売上
    // is no ordinary table.
    auto result = RunCli({"tables", "--dsn", "Kolumbra sample"}, SampleEnvironment);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "仕入先マスタ\n倉庫マスタ\n入金データ\n受注データ\n受注明細データ\n商品マスタ\n商品分類マスタ\n"
              "在庫データ\n売上データ\n得意先マスタ\n社員マスタ\n部署マスタ\n");
    EXPECT_EQ(result.err, "");
}

TEST(CliDsn, AViewOverADroppedTableFailsNoTableBesideIt) {
    // The driver cannot describe the view; it is never asked to, as no
    // command needs it.
    SqliteSource source("kolumbra broken view", "CREATE TABLE gone (x INTEGER);\n"
                                                "CREATE VIEW broken AS SELECT x FROM gone;\n"
                                                "DROP TABLE gone;\n"
                                                "CREATE TABLE kept (code CHAR(4) PRIMARY KEY, name TEXT);\n");
    TempDir dir;
    const auto tables = RunCli({"tables", "--dsn", source.name()}, source.Environment());
    EXPECT_EQ(tables.status, 0) << tables.err;
    EXPECT_EQ(tables.out, "kept\n");
    const auto csv = RunCli({"csv", "--dsn", source.name(), dir.file("out.csv")}, source.Environment());
    EXPECT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(ReadBytes(dir.file("out.csv")), cp932::FromUtf8("ﾃｰﾌﾞﾙ名,kept,\r\n項目名,ﾃﾞｰﾀ型,ﾊﾞｲﾄ数\r\n"
                                                               "code,Text,4\r\nname,Memo,0\r\n\r\n,,\r\n"));
    const auto xls = RunCli({"xls", "--dsn", source.name(), dir.file("out.xls")}, source.Environment());
    EXPECT_EQ(xls.status, 0) << xls.err;
    EXPECT_EQ(ProbeWorkbook(dir.file("out.xls")).at(1).value("E12"), "name");
}

TEST(CliDsn, AnUndeclaredDataSourceIsAnOpenFailure) {
    // The path box was empty when the source was asked for: nothing follows
    // "DB=". The driver manager's reason follows on the next line.
    auto result = RunCli({"tables", "--dsn", "No such source"}, SampleEnvironment);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "DB接続失敗 DB=\nIM002 [unixODBC][Driver Manager]Data source name not found and no default "
                          "driver specified\n");
}

}  // namespace
}  // namespace kolumbra::testing
