#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "cli_runner.h"
#include "temp_dir.h"

namespace kolumbra::testing {
namespace {

const std::string Mdb = std::string(KOLUMBRA_FIXTURES) + "/mdb/";
const std::string Done = "を確認して下さい\n";

// The listing as worked out by a script from the mdb-schema dump, without
// the catalogue code.
std::string SchemaListing(const std::string& database, bool japanese = false) {
    std::string command = "python3 " KOLUMBRA_SOURCE_DIR "/tests/cli/schema_listing.py ";
    if (japanese) command += "--jap ";
    command += "'" + database + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::string bytes;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) bytes.append(buffer, got);
    return bytes;
}

// The block of one table cut out of a whole listing.
std::string BlockOf(const std::string& listing, const std::string& table) {
    const std::size_t start = listing.find("\xC3\xB0\xCC\xDE\xD9\x96\xBC," + table + ",\r\n");
    const std::string end = "\r\n,,\r\n";
    return listing.substr(start, listing.find(end, start) + end.size() - start);
}

class CliCsv : public ::testing::Test {
protected:
    TempDir dir;
    std::string out = dir.file("out.csv");
};

TEST_F(CliCsv, EveryListedFixtureMatchesTheSchemaDump) {
    for (const std::string name : {"nwind.mdb", "hanbai.mdb", "date.mdb", "sample.accdb"}) {
        const std::string file = dir.file(name + ".csv");
        auto result = RunCli({"csv", Mdb + name, file});
        EXPECT_EQ(result.status, 0) << name;
        EXPECT_EQ(result.err, file + Done);
        EXPECT_EQ(result.out, "");
        const std::string expected = SchemaListing(Mdb + name);
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(ReadBytes(file), expected) << name;
    }
}

// The worked example end to end: two tables of a data source the test
// writes itself, listed one after the other into one file. The SQLite3
// driver is the one the build registers beside the sample data source.
TEST_F(CliCsv, WorkedExampleThroughAnOdbcDataSource) {
    const std::string database = dir.file("example.db");
    const std::string create = "sqlite3 '" + database +
                               "' 'CREATE TABLE \"社員\" (ID INTEGER, \"氏名\" VARCHAR(20));"
                               " CREATE TABLE \"部署\" (CD VARCHAR(10));'";
    ASSERT_EQ(std::system(create.c_str()), 0);
    std::ofstream(dir.file("odbc.ini")) << "[Example]\nDriver=SQLite3\nDatabase=" << database << "\n";
    const std::vector<std::string> environment{"ODBCINI=" + dir.file("odbc.ini"),
                                               "ODBCSYSINI=" KOLUMBRA_BINARY_DIR "/sample"};

    auto result = RunCli({"csv", "--dsn", "Example", out, "社員"}, environment);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, out + Done);
    // Code page 932 written out by hand.
    const std::string tableShain = "\xC3\xB0\xCC\xDE\xD9\x96\xBC,\x8E\xD0\x88\xF5,\r\n";
    const std::string heading = "\x8D\x80\x96\xDA\x96\xBC,\xC3\xDE\xB0\xC0\x8C\x5E,\xCA\xDE\xB2\xC4\x90\x94\r\n";
    const std::string fields = "ID,Long,4\r\n\x8E\x81\x96\xBC,Text,20\r\n";
    EXPECT_EQ(ReadBytes(out), tableShain + heading + fields + "\r\n,,\r\n");

    result = RunCli({"csv", "--dsn", "Example", out, "部署"}, environment);
    EXPECT_EQ(result.status, 0) << result.err;
    const std::string tableBusho = "\xC3\xB0\xCC\xDE\xD9\x96\xBC,\x95\x94\x8F\x90,\r\n";
    EXPECT_EQ(ReadBytes(out), tableShain + heading + fields + ",,\r\n" + "\r\n" + tableBusho + heading +
                                  "CD,Text,10\r\n" + "\r\n,,\r\n");
}

TEST_F(CliCsv, JapaneseTypeNames) {
    auto result = RunCli({"csv", "--jap", Mdb + "hanbai.mdb", out});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ReadBytes(out), SchemaListing(Mdb + "hanbai.mdb", true));
}

TEST_F(CliCsv, NamedTablesComeInListOrder) {
    auto result = RunCli({"csv", Mdb + "nwind.mdb", out, "Orders", "Categories"});
    EXPECT_EQ(result.status, 0) << result.err;
    const std::string all = SchemaListing(Mdb + "nwind.mdb");
    EXPECT_EQ(ReadBytes(out), BlockOf(all, "Categories") + BlockOf(all, "Orders"));
}

TEST_F(CliCsv, SecondRunKeepsTheOldLinesAfterOneEmptyLine) {
    ASSERT_EQ(RunCli({"csv", Mdb + "nwind.mdb", out, "Shippers", "Categories"}).status, 0);
    const std::string first = ReadBytes(out);
    auto result = RunCli({"csv", Mdb + "date.mdb", out});
    EXPECT_EQ(result.status, 0) << result.err;

    // The old blocks lose the empty line before their closing line.
    std::string kept = first;
    for (std::size_t at; (at = kept.find("\r\n\r\n")) != std::string::npos;) kept.erase(at, 2);
    EXPECT_EQ(ReadBytes(out), kept + "\r\n" + SchemaListing(Mdb + "date.mdb"));
}

TEST_F(CliCsv, ADatabaseWithoutOrdinaryTablesWritesNothing) {
    auto result = RunCli({"csv", Mdb + "linked-only.mdb", out});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "ﾃｰﾌﾞﾙが見つかりませんでした(ﾘﾝｸﾃｰﾌﾞﾙはｶｳﾝﾄされません)\n");
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(CliCsv, FailuresExitNonZeroWithTheirMessage) {
    const std::string nwind = Mdb + "nwind.mdb";
    WriteBytes(dir.file("plain"), "x");
    std::filesystem::create_directory(dir.file("folder.csv"));
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;
    };
    for (const Case& c : std::vector<Case>{
             {{"csv", nwind, dir.file("out.Csv")}, 1, "CSVﾌｧｲﾙを指定してください。\n"},
             {{"csv", nwind, "csv"}, 1, "CSVﾌｧｲﾙを指定してください。\n"},
             {{"csv", nwind, "  "}, 1, "出力ﾌｧｲﾙ名を入力してください。\n"},
             {{"csv", nwind, dir.file("plain/out.csv")}, 1, "書き込みできませんでした\n"},
             {{"csv", nwind, dir.file("folder.csv")}, 1, "書き込みできませんでした\n"},
             {{"csv", nwind, out, "Orders", "Nope"}, 3, "kolumbra-cli: no table named 'Nope'\n"},
             {{"csv", "/nonexistent/shop.mdb", out}, 1,
              "DB接続失敗 DB=/nonexistent/shop.mdb\nファイル '/nonexistent/shop.mdb' が見つかりません。\n"},
         }) {
        auto result = RunCli(c.args);
        EXPECT_EQ(result.status, c.status) << c.args.back();
        EXPECT_EQ(result.err, c.err) << c.args.back();
    }
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(ReadBytes(dir.file("plain")), "x");
    EXPECT_TRUE(std::filesystem::is_empty(dir.file("folder.csv")));
}

TEST_F(CliCsv, MissingArgumentsShowTheUsage) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"csv"}, {"csv", Mdb + "nwind.mdb"}, {"csv", "--jap"}, {"csv", "--dsn"}}) {
        auto result = RunCli(args);
        EXPECT_EQ(result.status, 64) << args.back();
        EXPECT_EQ(result.err,
                  "usage: kolumbra-cli csv [--jap | --english] (--dsn NAME | --connect STRING | DATABASE) OUT.csv "
                  "[TABLE ...]\n");
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

}  // namespace
}  // namespace kolumbra::testing
