// Paths that are no Access database are open failures with the engine's
// numbers; nothing that is not a regular file reaches the library.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>

#include "access_fixture.h"
#include "common/runtime_error.h"
#include "engine/db/access/access_file.h"
#include "temp_dir.h"

namespace kolumbra::testing {
namespace {

// The error OpenAccessFile raises for `path`; number 0 when it opens.
RuntimeError OpenError(const std::string& path) {
    try {
        db::OpenAccessFile(path);
    } catch (const RuntimeError& error) {
        return error;
    }
    return RuntimeError(0, "opened");
}

TEST(AccessRefusal, MissingFilesAreNotFound) {
    TempDir dir;
    RuntimeError missing = OpenError(dir.file("shop.mdb"));
    EXPECT_EQ(missing.number(), db::dberr::FileNotFound);
    EXPECT_EQ(missing.description(), "ファイル '" + dir.file("shop.mdb") + "' が見つかりません。");
    // A folder part that is a regular file.
    EXPECT_EQ(OpenError(MdbFixture("nwind.mdb") + "/shop.mdb").number(), db::dberr::FileNotFound);
    EXPECT_EQ(OpenError("").number(), db::dberr::FileNotFound);
}

TEST(AccessRefusal, WhatIsNoDatabaseIsAnUnrecognisedFormat) {
    TempDir dir;
    WriteBytes(dir.file("empty.mdb"), "");
    WriteBytes(dir.file("text.mdb"), std::string(4096, 'x'));
    // The right magic on a first page with nothing after it.
    std::string head = ReadBytes(MdbFixture("hanbai.mdb")).substr(0, 4096);
    WriteBytes(dir.file("head.mdb"), head);
    for (const std::string& path : {dir.file("empty.mdb"), dir.file("text.mdb"), dir.file("head.mdb"),
                                    std::string(KOLUMBRA_SOURCE_DIR) + "/README.md", dir.path().string(),
                                    std::string("/dev/null"), std::string("/dev/zero")}) {
        RuntimeError error = OpenError(path);
        EXPECT_EQ(error.number(), db::dberr::UnrecognisedFormat) << path;
        EXPECT_EQ(error.description(), "データベースの形式 '" + path + "' を認識できません。");
    }
}

TEST(AccessRefusal, AFifoWithoutWriterDoesNotBlock) {
    TempDir dir;
    std::string fifo = dir.file("pipe.mdb");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(OpenError(fifo).number(), db::dberr::UnrecognisedFormat);
}

}  // namespace
}  // namespace kolumbra::testing
