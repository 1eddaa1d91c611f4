// Failures part-way must leave the old file exactly as it was.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>

#include "common/runtime_error.h"
#include "csvexport/csv_export.h"
#include "csvexport/listing_store.h"
#include "listing_fixture.h"

namespace kolumbra::testing {
namespace {

namespace fs = std::filesystem;

const std::string OldContent = "ﾃｰﾌﾞﾙ名,old,\r\n\r\n,,\r\n";

// Writes half the listing, then reports the disk full.
class DiskFullHalfway : public csvexport::DiskListingStore {
protected:
    void WriteAll(int fd, std::string_view bytes) override {
        DiskListingStore::WriteAll(fd, bytes.substr(0, bytes.size() / 2));
        throw RuntimeError(err::DiskFull);
    }
};

class ListingFailure : public ListingTest {
protected:
    std::string out;
    void SetUp() override {
        Open({Table("A", {{"a", 4, 4, ""}}), Table("B", {{"b", 4, 4, ""}}), Table("C", {{"c", 4, 4, ""}})});
        out = dir.file("out.csv");
    }
    void ExpectFailedAndOldKept(const std::string& old) {
        EXPECT_EQ(window.messages, std::vector{WriteFailed()});
        EXPECT_EQ(ReadBytes(out), old);
        EXPECT_EQ(FolderEntries(), std::vector<std::string>{"out.csv"});
    }
};

TEST_F(ListingFailure, EngineFailingOnATablesFieldsFailsThatTableAlone) {
    // B's block is left out, not written without fields; A and C are listed.
    WriteBytes(out, OldContent);
    database->failAtItem = 1;
    Run(out, {"A", "B", "C"});
    const RecordedMessage failed{"書き込みできませんでした\rB\r3146 ODBC--呼び出しが失敗しました。", Buttons::Ok,
                                 Icon::None, "完了"};
    EXPECT_EQ(window.messages, (std::vector{failed, Done(out)}));
    EXPECT_EQ(ReadBytes(out), "ﾃｰﾌﾞﾙ名,old,\r\n,,\r\n\r\n" +
                                  Sjis("ﾃｰﾌﾞﾙ名,A,\r\n項目名,ﾃﾞｰﾀ型,ﾊﾞｲﾄ数\r\na,Long,4\r\n\r\n,,\r\n"
                                       "ﾃｰﾌﾞﾙ名,C,\r\n項目名,ﾃﾞｰﾀ型,ﾊﾞｲﾄ数\r\nc,Long,4\r\n\r\n,,\r\n"));
}

TEST_F(ListingFailure, DefinitionOfAnUnselectedTableIsNeverRead) {
    database->failAtItem = 2;
    Run(out, {"A"});
    EXPECT_EQ(window.messages, std::vector{Done(out)});
    EXPECT_EQ(database->itemReads, 1);
}

TEST_F(ListingFailure, DiskFullWhileWritingKeepsTheOldFile) {
    WriteBytes(out, OldContent);
    DiskFullHalfway store;
    window.Select({"A", "B"});
    window.text3 = out;
    Command3_Click(session, store);
    ExpectFailedAndOldKept(OldContent);

    // The window stays usable: the next run writes normally.
    Run(out, {"C"});
    EXPECT_EQ(window.messages, std::vector{Done(out)});
    EXPECT_NE(ReadBytes(out).find("c,Long,4\r\n"), std::string::npos);
}

TEST_F(ListingFailure, NoOpenDatabaseIsAFailureNotACrash) {
    WriteBytes(out, OldContent);
    session.gDb.reset();
    Run(out, {"A"});
    ExpectFailedAndOldKept(OldContent);
}

TEST_F(ListingFailure, FilesThatCanBeNeitherReadNorCreated) {
    WriteBytes(dir.file("plain"), "x");
    fs::create_directory(dir.file("folder.csv"));
    for (const std::string& path : {dir.file("missing/out.csv"), dir.file("folder.csv"),
                                    dir.file("plain/out.csv")}) {
        Run(path, {"A"});
        EXPECT_EQ(window.messages, std::vector{WriteFailed()}) << path;
    }
    EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"folder.csv", "plain"}));
    EXPECT_TRUE(fs::is_empty(dir.file("folder.csv")));
    EXPECT_EQ(ReadBytes(dir.file("plain")), "x");
}

TEST_F(ListingFailure, UnreadableFileIsReportedAndKept) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    WriteBytes(out, OldContent);
    fs::permissions(out, fs::perms::none);
    Run(out, {"A"});
    fs::permissions(out, fs::perms::owner_read);
    ExpectFailedAndOldKept(OldContent);
}

TEST_F(ListingFailure, ReadOnlyFileIsNotReplaced) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes every file";
    WriteBytes(out, OldContent);
    fs::permissions(out, fs::perms::owner_read);
    Run(out, {"A"});
    ExpectFailedAndOldKept(OldContent);
}

// A tmpfs too small for the listing: the disk really fills while writing.
class FullDisk : public ListingTest {
protected:
    std::string folder;
    bool mounted = false;
    void SetUp() override {
        folder = dir.file("small");
        fs::create_directory(folder);
        mounted = ::mount("tmpfs", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=16k") == 0;
        if (!mounted) GTEST_SKIP() << "cannot mount a tmpfs here";
    }
    void TearDown() override {
        if (mounted) ::umount2(folder.c_str(), MNT_DETACH);
    }
};

TEST_F(FullDisk, OldFileSurvivesAListingThatDoesNotFit) {
    std::vector<db::Field> many;
    for (int i = 0; i < 4000; ++i) many.push_back({"field" + std::to_string(i), 10, 255, ""});
    Open({Table("wide", many), Table("narrow", {{"n", 4, 4, ""}})});
    const std::string out = folder + "/out.csv";
    WriteBytes(out, OldContent);

    Run(out, {"wide"});
    EXPECT_EQ(window.messages, std::vector{WriteFailed()});
    EXPECT_EQ(ReadBytes(out), OldContent);
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder)) left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"out.csv"});

    // The space of the failed attempt is given back: a listing that fits works.
    Run(out, {"narrow"});
    EXPECT_EQ(window.messages, std::vector{Done(out)});
    EXPECT_NE(ReadBytes(out).find("n,Long,4\r\n"), std::string::npos);
}

TEST_F(ListingFailure, NameNearTheLengthLimitIsWritten) {
    const std::string name = std::string(251, 'x') + ".csv";
    out = dir.file(name);
    WriteBytes(out, OldContent);
    Run(out, {"A"});
    EXPECT_EQ(window.messages, std::vector{Done(out)});
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{name});
    EXPECT_NE(ReadBytes(out).find("a,Long,4\r\n"), std::string::npos);
}

TEST_F(ListingFailure, ReplacingKeepsTheOwner) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file away";
    WriteBytes(out, OldContent);
    ASSERT_EQ(::chown(out.c_str(), 65534, 65534), 0);
    Run(out, {"A"});
    EXPECT_EQ(window.messages, std::vector{Done(out)});
    struct stat info {};
    ASSERT_EQ(::stat(out.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 65534u);
    EXPECT_EQ(info.st_gid, 65534u);
}

TEST_F(ListingFailure, FifoOfThatNameIsRefusedWithoutBlocking) {
    ASSERT_EQ(::mkfifo(out.c_str(), 0600), 0);
    Run(out, {"A"});
    EXPECT_EQ(window.messages, std::vector{WriteFailed()});
    EXPECT_TRUE(fs::is_fifo(out));
}

TEST_F(ListingFailure, ReplacingKeepsModeAndLinks) {
    WriteBytes(out, OldContent);
    fs::permissions(out, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(out, dir.file("link.csv"));
    Run(dir.file("link.csv"), {"A"});
    EXPECT_EQ(window.messages, std::vector{Done(dir.file("link.csv"))});
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir.file("link.csv"))));
    EXPECT_EQ(fs::status(out).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_NE(ReadBytes(out).find("a,Long,4\r\n"), std::string::npos);
}

// The listing without a window, judged by its result: each table's fate,
// the error of a table without a block, and a failure of the file itself.
TEST_F(ListingFailure, TheResultNamesWhatBecameOfEachTable) {
    struct Expected {
        std::string table;
        TableOutcome outcome;
        bool found = true;
    };
    struct Row {
        std::vector<std::string> tables;
        std::optional<int> failAtItem;
        bool pathIsFolder = false;
        std::vector<Expected> expected;
    };
    const Row rows[] = {
        {{"A", "C"}, {}, false, {{"A", TableOutcome::Written}, {"C", TableOutcome::Written}}},
        {{"Gone", "A"}, {}, false, {{"Gone", TableOutcome::Written, false}, {"A", TableOutcome::Written}}},
        {{"A", "B"}, 1, false, {{"A", TableOutcome::Written}, {"B", TableOutcome::Failed}}},
        {{"A"}, {}, true, {}},
    };
    for (const Row& row : rows) {
        database->failAtItem = row.failAtItem;
        const std::string path = row.pathIsFolder ? dir.file("folder.csv") : out;
        if (row.pathIsFolder) fs::create_directory(path);
        csvexport::DiskListingStore disk;
        std::vector<std::string> started;
        const ExportResult result = csvexport::WriteListing({session.gDb.get(), row.tables, path, 0}, disk,
                                                            [&](const ExportProgress& step) {
                                                                if (step.kind == ExportProgress::Kind::TableStarted) {
                                                                    started.push_back(step.table);
                                                                }
                                                            });
        const std::string label = row.tables.back();
        EXPECT_EQ(result.fileError.has_value(), row.pathIsFolder) << label;
        ASSERT_EQ(result.tables.size(), row.expected.size()) << label;
        for (std::size_t i = 0; i < row.expected.size(); ++i) {
            const TableReport& got = result.tables[i];
            EXPECT_EQ(got.table, row.expected[i].table) << label;
            EXPECT_EQ(got.outcome, row.expected[i].outcome) << label;
            EXPECT_EQ(got.found, row.expected[i].found) << label;
            EXPECT_EQ(got.error.has_value(), got.outcome == TableOutcome::Failed) << label;
        }
        if (row.failAtItem) {
            EXPECT_EQ(result.tables[1].error->number(), db::dberr::OdbcCallFailed);
        }
        const bool allWritten = !row.pathIsFolder && !row.failAtItem;
        EXPECT_EQ(result.AllWritten(), allWritten) << label;
        EXPECT_EQ(started, row.pathIsFolder ? std::vector<std::string>{} : row.tables) << label;
    }
}

}  // namespace
}  // namespace kolumbra::testing
