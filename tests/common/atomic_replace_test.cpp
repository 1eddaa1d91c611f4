// Replacing a file whole: the old file or the complete new one, never a
// mix, nothing left beside it, and nothing planted in the folder followed.

#include "common/atomic_replace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "common/file_io.h"
#include "temp_dir.h"

namespace kolumbra {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

std::vector<std::string> Entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

int ErrnoOf(const std::string& path, const std::string& bytes, const ReplaceSteps& steps = {}) {
    try {
        ReplaceFileAtomically(path, bytes, steps);
    } catch (const std::system_error& e) {
        return e.code().value();
    }
    return 0;
}

TEST(AtomicReplace, ReplacesWholeAndKeepsModeLinkAndOwner) {
    TempDir dir;
    const std::string file = dir.file("kl01.ini");
    ReplaceFileAtomically(file, "first");
    EXPECT_EQ(ReadBytes(file), "first");
    ::chmod(file.c_str(), 0640);
    fs::create_symlink(file, dir.file("link.ini"));
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
    }

    ReplaceFileAtomically(dir.file("link.ini"), std::string(100000, 'x'));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir.file("link.ini"))));
    EXPECT_EQ(ReadBytes(file), std::string(100000, 'x'));
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(info.st_uid, 65534u);
    }
    EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"kl01.ini", "link.ini"}));
}

TEST(AtomicReplace, FailuresLeaveTheOldFileAndNothingElse) {
    TempDir dir;
    const std::string file = dir.file("book.xls");
    WriteBytes(file, "old");
    WriteBytes(dir.file("plain"), "x");
    fs::create_directory(dir.file("folder"));
    const struct {
        std::string path;
        int error;
    } unwritable[] = {{dir.file("missing/out"), ENOENT}, {dir.file("plain/out"), ENOTDIR},
                      {dir.file("folder"), EISDIR}, {dir.path().string() + "/", EISDIR}};
    for (const auto& c : unwritable) EXPECT_EQ(ErrnoOf(c.path, "new"), c.error) << c.path;

    const ReplaceSteps diskFull{.write = [](int, std::string_view) { throw std::system_error(ENOSPC, std::generic_category()); },
                                .beforeCommit = {}};
    EXPECT_EQ(ErrnoOf(file, "new", diskFull), ENOSPC);
    const ReplaceSteps dying{.write = {}, .beforeCommit = [] { throw std::runtime_error("killed"); }};
    EXPECT_THROW(ReplaceFileAtomically(file, "new", dying), std::runtime_error);
    // A process killed half-way through the write leaves no file behind.
    const pid_t child = ::fork();
    if (child == 0) {
        ReplaceFileAtomically(file, "new", {.write = [](int fd, std::string_view) {
                                                 WriteAll(fd, "ne");
                                                 ::_exit(9);
                                             },
                                             .beforeCommit = {}});
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 9);
    EXPECT_EQ(ReadBytes(file), "old");
    EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"book.xls", "folder", "plain"}));
}

TEST(AtomicReplace, AFolderThatCannotBeFlushedFailsTheReplace) {
    TempDir dir;
    const std::string file = dir.file("book.xls");
    WriteBytes(file, "old");
    const auto failingSync = [](int) {
        errno = EIO;
        return -1;
    };
    try {
        ReplaceFileAtomically(file, "new", {}, failingSync);
        ADD_FAILURE() << "reported as saved";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code().value(), EIO);
    }
    EXPECT_EQ(ReadBytes(file), "new");
    EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"book.xls"}));
}

TEST(AtomicReplace, APlantedLinkBesideTheFileIsNotFollowed) {
    // The old settings writer went through a fixed "kl01.ini.tmp".
    TempDir dir;
    WriteBytes(dir.file("victim"), "keep");
    fs::create_symlink(dir.file("victim"), dir.file("kl01.ini.tmp"));
    fs::create_symlink(dir.file("victim"), dir.file(".kolumbra.XXXXXX"));
    ReplaceFileAtomically(dir.file("kl01.ini"), "settings");
    EXPECT_EQ(ReadBytes(dir.file("victim")), "keep");
    EXPECT_EQ(ReadBytes(dir.file("kl01.ini")), "settings");
}

TEST(AtomicReplace, AReadOnlyFileIsRefused) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes every file";
    TempDir dir;
    WriteBytes(dir.file("locked"), "old");
    ::chmod(dir.file("locked").c_str(), 0444);
    EXPECT_EQ(ErrnoOf(dir.file("locked"), "new"), EACCES);
    EXPECT_EQ(ReadBytes(dir.file("locked")), "old");
}

}  // namespace
}  // namespace kolumbra
