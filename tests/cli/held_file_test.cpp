// Output files another program holds, and writes past the file-size limit:
// the command fails with its message and exit status 1, and leaves the
// file, the other program's lock file and the folder as they were.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "cli_runner.h"
#include "common/cp932.h"
#include "temp_dir.h"
#include "workbook_probe.h"

namespace kolumbra::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::IsSupersetOf;

const std::string Nwind = std::string(KOLUMBRA_FIXTURES) + "/mdb/nwind.mdb";

std::vector<std::string> Entries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> SheetNames(const std::string& path) {
    std::vector<std::string> names;
    for (const auto& sheet : ProbeWorkbook(path)) names.push_back(sheet.name);
    return names;
}

TEST(CliHeldFile, AFileAnotherProgramHoldsIsRefusedAndLeftAsItWas) {
    const std::string ownerFile = std::string("\x04") + cp932::FromUtf8("田中") + std::string(49, ' ');
    const struct {
        const char* command;
        const char* output;
        const char* holderFile;
        std::string holderBytes;
        std::string message;
    } held[] = {
        {"xls", "book.xls", ".~lock.book.xls#", ",root,vm,09.12.2026 14:06,file:///home/root/.config/office;",
         "ｴﾗｰが発生しました\nファイル '%o' はroot@vmが使用中です。ロックファイル: %h\n"},
        {"xls", "book.xls", "~$book.xls", ownerFile, "ｴﾗｰが発生しました\nファイル '%o' は田中が使用中です。ロックファイル: %h\n"},
        {"csv", "out.csv", ".~lock.out.csv#", "Kolumbra,ann,elsewhere,01.12.2026 09:00,kolumbra:42;",
         "書き込みできませんでした\nファイル '%o' はKolumbra (ann@elsewhere)が使用中です。ロックファイル: %h\n"},
    };
    for (const auto& c : held) {
        TempDir dir;
        const std::string output = dir.file(c.output), holder = dir.file(c.holderFile);
        testing::WriteBytes(output, "old");
        testing::WriteBytes(holder, c.holderBytes);
        std::string message = c.message;
        message.replace(message.find("%o"), 2, output);
        message.replace(message.find("%h"), 2, holder);
        const auto result = RunCli({c.command, Nwind, output, "Orders"});
        EXPECT_EQ(result.status, 1) << c.holderFile;
        EXPECT_EQ(result.err, message) << c.holderFile;
        EXPECT_EQ(testing::ReadBytes(output), "old") << c.holderFile;
        EXPECT_EQ(testing::ReadBytes(holder), c.holderBytes) << c.holderFile;
        EXPECT_EQ(Entries(dir.path()).size(), 2u) << c.holderFile;
    }
}

// Two commands at once on one workbook: one may be refused, and every
// sheet of a command that says it wrote them is in the workbook.
TEST(CliHeldFile, TwoCommandsAtOnceLoseNoSheet) {
    TempDir dir;
    const std::string book = dir.file("book.xls");
    const std::vector<std::vector<std::string>> tables{{"Orders", "Customers", "Employees"},
                                                       {"Products", "Suppliers", "Shippers"}};
    CliResult results[2];
    std::vector<std::thread> commands;
    for (int i = 0; i < 2; ++i) {
        commands.emplace_back([&, i] {
            std::vector<std::string> args{"xls", Nwind, book};
            args.insert(args.end(), tables[i].begin(), tables[i].end());
            results[i] = RunCli(args);
        });
    }
    for (auto& command : commands) command.join();
    for (int i = 0; i < 2; ++i) {
        if (results[i].status == 0) {
            EXPECT_THAT(SheetNames(book), IsSupersetOf(tables[i]));
        } else {
            EXPECT_EQ(results[i].status, 1);
            EXPECT_THAT(results[i].err, HasSubstr("はKolumbra ("));
        }
    }
    EXPECT_TRUE(results[0].status == 0 || results[1].status == 0);
    EXPECT_FALSE(std::filesystem::exists(dir.file(".~lock.book.xls#")));
}

// Under a file-size limit a write fails with EFBIG instead of ending the
// program by signal; no temporary file stays behind.
TEST(CliHeldFile, AWritePastTheFileSizeLimitFailsWithItsMessage) {
    const struct {
        const char* command;
        const char* output;
        const char* message;
    } limited[] = {
        {"xls", "book.xls", "ｴﾗｰが発生しました\n"},
        {"csv", "out.csv", "書き込みできませんでした\n"},
    };
    for (const auto& c : limited) {
        TempDir dir;
        const auto result = RunProgramIn("/bin/sh", dir.path().string(),
                                         {"-c", "ulimit -f 1; exec \"$0\" \"$@\"", KOLUMBRA_CLI, c.command, Nwind,
                                          dir.file(c.output)});
        EXPECT_EQ(result.status, 1) << c.command;
        EXPECT_THAT(result.err, HasSubstr(c.message)) << c.command;
        EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << c.command;
    }
}

// Relative paths in a working folder that was deleted meanwhile: the path
// fails with its message, nothing aborts.
TEST(CliHeldFile, ADeletedWorkingFolderIsAPathFailure) {
    const struct {
        std::vector<std::string> args;
        std::string err;
    } relative[] = {
        {{"csv", Nwind, "out.csv", "Orders"}, "書き込みできませんでした\n"},
        {{"xls", Nwind, "out.xls", "Orders"}, "ｴﾗｰが発生しました\n'out.xls' に保存できません。フォルダーが見つかりません。\n"},
        {{"tables", "nwind.mdb"}, "DB接続失敗 DB=nwind.mdb\nファイル 'nwind.mdb' が見つかりません。\n"},
    };
    for (const auto& c : relative) {
        TempDir dir;
        std::filesystem::create_directory(dir.file("gone"));
        std::vector<std::string> args{"-c", "cd gone && rmdir ../gone && exec \"$0\" \"$@\"", KOLUMBRA_CLI};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto result = RunProgramIn("/bin/sh", dir.path().string(), args);
        EXPECT_EQ(result.status, 1) << c.args[0];
        EXPECT_EQ(result.err, c.err) << c.args[0];
    }
}

}  // namespace
}  // namespace kolumbra::testing
