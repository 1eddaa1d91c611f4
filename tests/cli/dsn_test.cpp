// kolumbra-cli tables through the sample data source the build declares.

#include <gtest/gtest.h>

#include "cli_runner.h"

namespace kolumbra::testing {
namespace {

const std::vector<std::string> SampleEnvironment{"ODBCINI=" KOLUMBRA_BINARY_DIR "/sample/odbc.ini",
                                                 "ODBCSYSINI=" KOLUMBRA_BINARY_DIR "/sample"};

TEST(CliDsn, ListsTheSampleTablesInTheDriversOrderWithoutTheView) {
    // The driver returns tables in the order the script creates them; the
    // view 得意先別売上 is no ordinary table.
    auto result = RunCli({"tables", "--dsn", "Kolumbra sample"}, SampleEnvironment);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "部署マスタ\n社員マスタ\n得意先マスタ\n仕入先マスタ\n商品分類マスタ\n商品マスタ\n倉庫マスタ\n"
              "在庫データ\n受注データ\n受注明細データ\n売上データ\n入金データ\n");
    EXPECT_EQ(result.err, "");
}

TEST(CliDsn, AnUndeclaredDataSourceIsAnOpenFailure) {
    // The path box was empty when the source was asked for: nothing follows "DB=".
    auto result = RunCli({"tables", "--dsn", "No such source"}, SampleEnvironment);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "DB接続失敗 DB=\n");
}

}  // namespace
}  // namespace kolumbra::testing
