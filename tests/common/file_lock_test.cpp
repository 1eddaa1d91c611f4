// The claim on an output file: refused while another program holds it,
// taken over when this program's own lock file outlived its process, and
// exclusive between real processes and against the office suite.

#include "common/file_lock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>

#include "common/cp932.h"
#include "common/runtime_error.h"
#include "temp_dir.h"

namespace kolumbra {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

std::string ThisHost() {
    char name[256] = {};
    ::gethostname(name, sizeof name - 1);
    return name;
}

// The refusal's text, or empty when the claim was granted (and released).
std::string Refusal(const std::string& path) {
    try {
        FileLock lock(path);
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), err::FileAlreadyOpen);
        return e.description();
    }
    return "";
}

std::string RunProbe(const std::string& mode, const std::string& book, const std::string& profile) {
    const std::string command = "/usr/bin/python3 '" KOLUMBRA_SOURCE_DIR "/tests/common/office_lock_probe.py' " + mode +
                                " '" + book + "' '" + profile + "' 2>&1";
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
        ::pclose(pipe);
    }
    return output;
}

TEST(FileLock, RefusesAFileHeldElsewhereAndKeepsItsLockFile) {
    const std::string owner = std::string("\x04") + cp932::FromUtf8("田中") + std::string(49, ' ');
    const struct {
        const char* name;
        std::string file;
        std::string content;
        std::string holder;
    } held[] = {
        {"office suite", ".~lock.book.xls#", ",root,vm,09.12.2026 14:06,file:///tmp/lotest/prof;", "root@vm"},
        {"named office user", ".~lock.book.xls#", "Tanaka\\, Jiro,tj,pc1,09.12.2026 14:06,file:///home/tj/.config;",
         "Tanaka, Jiro (tj@pc1)"},
        {"this program on another host", ".~lock.book.xls#", "Kolumbra,ann,elsewhere,01.12.2026 09:00,kolumbra:42;",
         "Kolumbra (ann@elsewhere)"},
        {"spreadsheet owner file", "~$book.xls", owner, "田中"},
        {"unreadable lock file", ".~lock.book.xls#", "", "他のプログラム"},
    };
    for (const auto& c : held) {
        TempDir dir;
        const std::string book = dir.file("book.xls");
        WriteBytes(book, "old");
        WriteBytes(dir.file(c.file), c.content);
        const std::string refusal = Refusal(book);
        EXPECT_NE(refusal.find(c.holder + "が使用中です"), std::string::npos) << c.name << ": " << refusal;
        EXPECT_NE(refusal.find(dir.file(c.file)), std::string::npos) << c.name << ": " << refusal;
        EXPECT_EQ(ReadBytes(dir.file(c.file)), c.content) << c.name;
        EXPECT_EQ(ReadBytes(book), "old") << c.name;
    }
}

TEST(FileLock, ClaimsAFreeFileAndTakesOverItsOwnStaleLock) {
    const std::string stale = "Kolumbra,ann," + ThisHost() + ",01.12.2026 09:00,kolumbra:999999;";
    for (const std::optional<std::string>& before : {std::optional<std::string>(), std::optional(stale)}) {
        TempDir dir;
        const std::string lockFile = dir.file(".~lock.out.csv#");
        if (before) WriteBytes(lockFile, *before);
        {
            FileLock lock(dir.file("out.csv"));
            EXPECT_EQ(lock.LockFilePath(), lockFile);
            const auto fields = lockfile::ParseFields(ReadBytes(lockFile));
            ASSERT_EQ(fields.size(), 5u);
            EXPECT_EQ(fields[0], "Kolumbra");
            EXPECT_EQ(fields[2], ThisHost());
            EXPECT_EQ(fields[4], "kolumbra:" + std::to_string(::getpid()));
            EXPECT_NE(Refusal(dir.file("out.csv")).find("Kolumbra ("), std::string::npos);
        }
        EXPECT_FALSE(fs::exists(lockFile));
    }
}

// Each process adds one to a counter under the claim, many times over; a
// second writer inside the claim loses increments.
TEST(FileLock, TwoProcessesNeverHoldItAtOnce) {
    TempDir dir;
    const std::string counter = dir.file("book.xls");
    WriteBytes(counter, "0");
    constexpr int Rounds = 40;
    pid_t children[2];
    for (pid_t& child : children) {
        child = ::fork();
        if (child != 0) continue;
        int code = 0;
        for (int done = 0; done < Rounds;) {
            try {
                FileLock lock(counter);
                const int value = std::stoi(ReadBytes(counter));
                ::usleep(500);
                WriteBytes(counter, std::to_string(value + 1));
                ++done;
            } catch (const RuntimeError& e) {
                if (e.description().find(".~lock.book.xls#") == std::string::npos) code = 1;
                ::usleep(300);
            }
        }
        ::_exit(code);
    }
    for (pid_t child : children) {
        int status = -1;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    EXPECT_EQ(ReadBytes(counter), std::to_string(2 * Rounds));
    EXPECT_FALSE(fs::exists(dir.file(".~lock.book.xls#")));
}

TEST(FileLock, TheOfficeSuiteAndThisProgramSeeEachOthersLocks) {
    TempDir dir;
    const std::string book = dir.file("book.xls");
    fs::copy_file(KOLUMBRA_FIXTURES "/xls/names-34-4sheets.xls", book);
    {
        FileLock lock(book);
        EXPECT_EQ(RunProbe("check", book, dir.file("profile")), "in use\n");
    }
    EXPECT_EQ(RunProbe("check", book, dir.file("profile")), "free\n");
    // A crashed suite's lock file is its own to remove, not this program's.
    EXPECT_EQ(RunProbe("crash", book, dir.file("profile")), "");
    const std::string lockFile = dir.file(".~lock.book.xls#");
    const std::string written = ReadBytes(lockFile);
    EXPECT_NE(Refusal(book).find(lockFile), std::string::npos);
    EXPECT_EQ(ReadBytes(lockFile), written);
}

}  // namespace
}  // namespace kolumbra
