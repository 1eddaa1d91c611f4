// kolumbra-cli as a Debian user expects it: --help and --version, the
// manual page saying the same, DATABASE always a file, --english, the
// settings of a copied program and the progress line of a terminal.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

#include "cli_runner.h"
#include "common/cp932.h"
#include "temp_dir.h"

namespace kolumbra::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

const std::string Mdb = std::string(KOLUMBRA_FIXTURES) + "/mdb/";

std::string ManPage() { return ReadBytes(KOLUMBRA_SOURCE_DIR "/data/kolumbra-cli.1"); }

// Every option word ("--dsn") a text names.
std::set<std::string> OptionsIn(const std::string& text) {
    std::set<std::string> options;
    const std::regex option(R"((^|[^\w\\-])(--[a-z]+))");
    for (std::sregex_iterator it(text.begin(), text.end(), option), end; it != end; ++it) options.insert((*it)[2]);
    return options;
}

// The man page writes "--" as "\-\-".
std::string Unescaped(std::string roff) {
    for (std::size_t at; (at = roff.find("\\-")) != std::string::npos;) roff.erase(at, 1);
    return roff;
}

TEST(CliCommandLine, HelpAndVersionInTheUsualForm) {
    const auto version = RunCli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "kolumbra-cli (Kolumbra) 1.03\n");
    for (const char* help : {"--help", "-h"}) {
        const auto result = RunCli({help});
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.err, "");
        EXPECT_THAT(result.out, ::testing::StartsWith("Usage: kolumbra-cli COMMAND"));
    }
    for (const auto& wrong : {std::vector<std::string>{}, {"nonsense"}}) {
        const auto result = RunCli(wrong);
        EXPECT_EQ(result.status, 64);
        EXPECT_EQ(result.out, "");
        EXPECT_THAT(result.err, HasSubstr("Try 'kolumbra-cli --help' for more information."));
    }
}

TEST(CliCommandLine, TheManualPageNamesWhatHelpNames) {
    const std::string help = RunCli({"--help"}).out;
    const std::string man = Unescaped(ManPage());
    EXPECT_EQ(OptionsIn(help), OptionsIn(man));
    EXPECT_GE(OptionsIn(help).size(), 7u);
    for (const char* command : {"tables", "csv", "xls", "check"}) {
        EXPECT_THAT(help, HasSubstr(std::string("  ") + command + " "));
        EXPECT_THAT(man, HasSubstr(std::string(".B kolumbra-cli ") + command + "\n"));
    }
    EXPECT_THAT(man, HasSubstr("\"Kolumbra 1.03\""));
}

// csv and xls read one command-line form: options anywhere, "--" ends them.
// xls prints only what it shows, never the window's confirmation.
TEST(CliCommandLine, OptionsStandAnywhereAndDoubleDashEndsThem) {
    TempDir dir;
    const std::string nwind = Mdb + "nwind.mdb";
    const std::string csv = dir.file("out.csv");
    const std::string xls = dir.file("out.xls");
    struct Row {
        std::vector<std::string> args;
        int status;
        std::string err;
        const char* written = "";  // a line the CSV file must hold
    };
    const Row rows[] = {
        {{"csv", nwind, csv, "Shippers", "--jap"}, 0, csv + "を確認して下さい\n", "ShipperID,長整数型,4\r\n"},
        {{"csv", "--english", nwind, "--jap", csv, "Shippers"}, 0, csv + "を確認して下さい\n", "ShipperID,Long,4\r\n"},
        {{"csv", nwind, csv, "--", "--jap"}, 3, "kolumbra-cli: no table named '--jap'\n"},
        {{"xls", nwind, xls, "Shippers", "--author", "X"}, 0, "out.xlsが作成されました\n"},
        {{"xls", nwind, "--", xls, "Shippers", "--replace"}, 1, "kolumbra-cli: no table named '--replace'\nout.xlsが作成されました\n"},
        {{"csv", nwind, csv, "Shippers", "--dsn"}, 64, ""},
        {{"xls", nwind, xls, "--sheet", "Shippers"}, 64, ""},
        {{"tables", "--dsn", "Sales", "--connect", "Driver=x"}, 64, ""},
        {{"csv", "--connect", "Driver=x", "--dsn", "Sales", csv}, 64, ""},
    };
    for (const Row& row : rows) {
        std::filesystem::remove(csv);
        std::filesystem::remove(xls);
        const auto result = RunCli(row.args);
        EXPECT_EQ(result.status, row.status) << row.args[3] << " " << result.err;
        if (row.status != 64) {
            EXPECT_EQ(result.err, row.err) << row.args[3];
        }
        if (*row.written) {
            EXPECT_THAT(ReadBytes(csv), HasSubstr(cp932::FromUtf8(row.written))) << row.args[3];
        }
    }
}

class CopiedProgram : public ::testing::Test {
protected:
    TempDir dir;
    std::string program = dir.file("kolumbra-cli");
    void SetUp() override { fs::copy_file(KOLUMBRA_CLI, program); }
    void Settings(const std::string& content) { WriteBytes(dir.file("kl01.ini"), content); }
    std::string Csv(std::vector<std::string> flags) {
        flags.insert(flags.begin(), "csv");
        for (const char* arg : {"nwind.mdb", "out.csv", "Shippers"}) flags.push_back(arg);
        fs::remove(dir.file("out.csv"));
        const auto result = RunProgramIn(program, dir.path(), flags);
        EXPECT_EQ(result.status, 0) << result.err;
        return ReadBytes(dir.file("out.csv"));
    }
};

TEST_F(CopiedProgram, DatabaseArgumentIsAFileEvenWhenItsNameStartsWithOdbc) {
    for (const char* name : {"odbcLinker.mdb", "ODBC.mdb"}) {
        fs::copy_file(Mdb + "nwind.mdb", dir.file(name));
        const auto result = RunProgramIn(program, dir.path(), {"tables", name});
        EXPECT_EQ(result.status, 0) << name << ": " << result.err;
        EXPECT_THAT(result.out, HasSubstr("Shippers\n")) << name;
    }
    const auto missing = RunProgramIn(program, dir.path(), {"tables", "odbcMissing.mdb"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "DB接続失敗 DB=" + dir.file("odbcMissing.mdb") + "\nファイル '" + dir.file("odbcMissing.mdb") +
                               "' が見つかりません。\n");
}

TEST_F(CopiedProgram, KeepsItsSettingsBesideItAndEnglishOverridesThem) {
    fs::copy_file(Mdb + "nwind.mdb", dir.file("nwind.mdb"));
    const std::string english = Csv({});
    EXPECT_THAT(english, HasSubstr("ShipperID,Long,4\r\n"));
    Settings("[KLSETTING]\r\njap=1\r\nmkname=\r\n");
    const std::string japanese = Csv({});
    EXPECT_NE(japanese, english) << "jap=1 beside the copied program names types in Japanese";
    EXPECT_EQ(Csv({"--english"}), english);
    EXPECT_EQ(Csv({"--jap", "--english"}), english);
    Settings("[KLSETTING]\r\njap=0\r\n");
    EXPECT_EQ(Csv({"--jap"}), japanese);
}

TEST_F(CopiedProgram, ProgressGoesToATerminalOnly) {
    fs::copy_file(Mdb + "nwind.mdb", dir.file("nwind.mdb"));
    const std::vector<std::string> xls = {"xls", "nwind.mdb", "out.xls", "Orders", "Shippers"};
    const auto plain = RunProgramIn(program, dir.path(), xls);
    EXPECT_EQ(plain.status, 0) << plain.err;
    EXPECT_THAT(plain.err, Not(HasSubstr("%")));
    fs::remove(dir.file("out.xls"));
    // script(1) gives the program a terminal and copies what it shows.
    std::string command = program;
    for (const auto& arg : xls) command += " " + arg;
    const auto shown = RunProgramIn("/usr/bin/script", dir.path(), {"-qec", command, "/dev/null"});
    EXPECT_EQ(shown.status, 0) << shown.out;
    EXPECT_THAT(shown.out, HasSubstr("% Shippers"));
    EXPECT_THAT(shown.out, HasSubstr("\r"));
}

}  // namespace
}  // namespace kolumbra::testing
