#include "catalog/connection.h"

#include <gtest/gtest.h>

#include <map>

#include "common/runtime_error.h"
#include "scripted_window.h"

namespace kolumbra {
namespace {

using testing::RecordedMessage;
using testing::ScriptedWindow;

class FakeDatabase : public db::Database {
public:
    std::string name, connect;
    std::vector<db::TableDef> tables;
    bool failCount = false;
    bool* closed = nullptr;

    std::string Name() override { return name; }
    std::string Connect() override { return connect; }
    std::int16_t TableDefCount() override {
        if (failCount) throw RuntimeError(db::dberr::OdbcCallFailed, "ODBC -- 呼び出しが失敗しました。");
        return static_cast<std::int16_t>(tables.size());
    }
    db::TableDef TableDefItem(std::int16_t index) override { return tables.at(static_cast<std::size_t>(index)); }
    void Close() override {
        if (closed) *closed = true;
    }
};

// Opens files that are in `files`; the empty name asks the chooser and opens `odbc`.
class FakeEngine : public db::DbEngine {
public:
    std::map<std::string, FakeDatabase> files;
    std::optional<FakeDatabase> odbc;
    std::vector<std::string> opened;

    std::unique_ptr<db::Database> OpenDatabase(const std::string& name, const db::DataSourceChooser& choose) override {
        opened.push_back(name);
        if (name.empty()) {
            if (!choose() || !odbc) throw RuntimeError(db::dberr::OperationCancelled, "cancelled");
            return std::make_unique<FakeDatabase>(*odbc);
        }
        if (name == "huge.mdb") throw RuntimeError(db::dberr::ResourcesExceeded, "メモリの上限に達しました。");
        auto found = files.find(name);
        if (found == files.end()) throw RuntimeError(db::dberr::FileNotFound, "not found");
        return std::make_unique<FakeDatabase>(found->second);
    }
};

FakeDatabase Shop() {
    FakeDatabase d;
    d.tables = {{"Orders", 0, {}, {}, {}},
                {"MSysObjects", db::attr::System, {}, {}, {}},
                {"Linked", db::attr::AttachedOdbc, {}, {}, {}},
                {"Customers", 0, {}, {}, {}},
                {"Hidden", db::attr::Hidden, {}, {}, {}}};
    return d;
}

FakeDatabase OdbcShop(const std::string& connect) {
    FakeDatabase d = Shop();
    d.name = "shop";
    d.connect = connect;
    return d;
}

const RecordedMessage NoTable{"ﾃｰﾌﾞﾙが見つかりませんでした(ﾘﾝｸﾃｰﾌﾞﾙはｶｳﾝﾄされません)", Buttons::Ok, Icon::Exclamation, "確認"};

// The failure message: the text as it was, then the engine's reason.
RecordedMessage Failure(const std::string& text, const std::string& reason) {
    return {"DB接続失敗 DB=" + text + "\r" + reason, Buttons::Ok, Icon::None, ""};
}

struct ConnectionTest : ::testing::Test {
    ScriptedWindow window;
    FakeEngine engine;
    Session session{window, engine};
};

TEST(ConnectionModes, OdbcModeIsEmptyOrExactOdbcPrefix) {
    EXPECT_TRUE(IsOdbcMode(""));
    EXPECT_TRUE(IsOdbcMode("ODBC"));
    EXPECT_TRUE(IsOdbcMode("ODBC:Sales.shop"));
    EXPECT_TRUE(IsOdbcMode("ODBCfiles/x.mdb"));
    EXPECT_FALSE(IsOdbcMode("odbc"));
    EXPECT_FALSE(IsOdbcMode("Odbc"));
    EXPECT_FALSE(IsOdbcMode("ODB"));
}

TEST(ConnectionModes, FileNameOfPathSplitsAtLastSeparator) {
    EXPECT_EQ(FileNameOfPath("C:\\data\\shop.mdb"), "shop.mdb");
    EXPECT_EQ(FileNameOfPath("/srv/data/shop.mdb"), "shop.mdb");
    EXPECT_EQ(FileNameOfPath("a/b\\c.mdb"), "c.mdb");
    EXPECT_EQ(FileNameOfPath("shop.mdb"), "shop.mdb");
    EXPECT_EQ(FileNameOfPath("C:\\data\\"), "");
    EXPECT_EQ(FileNameOfPath(""), "");
}

TEST_F(ConnectionTest, FileReadListsOrdinaryTablesInEngineOrder) {
    engine.files["/data/shop.mdb"] = Shop();
    window.text1 = "/data/shop.mdb";
    Command1_Click(session);
    EXPECT_EQ(window.ListTexts(), (std::vector<std::string>{"Orders", "Customers"}));
    EXPECT_EQ(session.DbName, "shop.mdb");
    EXPECT_EQ(window.text1, "/data/shop.mdb");
    EXPECT_TRUE(window.command3Enabled);
    EXPECT_TRUE(window.command4Enabled);
    EXPECT_EQ(window.listCurrent, 0);
    EXPECT_TRUE(window.messages.empty());
    EXPECT_TRUE(session.gDb);
}

TEST_F(ConnectionTest, ReadingTwiceGivesTheSameList) {
    engine.files["shop.mdb"] = Shop();
    window.text1 = "shop.mdb";
    Command1_Click(session);
    Command1_Click(session);
    EXPECT_EQ(window.ListTexts(), (std::vector<std::string>{"Orders", "Customers"}));
    EXPECT_EQ(session.DbName, "shop.mdb");
}

TEST_F(ConnectionTest, OdbcReadRewritesText1FromConnectString) {
    struct Case {
        std::string connect, text1;
    };
    for (const Case& c : {Case{"ODBC;DSN=Sales;DATABASE=shop;", "ODBC:Sales.shop"}, Case{"ODBC;DSN=Sales", "ODBC:Sales.shop"},
                          Case{"ODBC;DATABASE=shop;", "ODBC:.shop"}}) {
        engine.odbc = OdbcShop(c.connect);
        window.dataSourceChoice = "Sales";
        window.text1 = "";
        Command1_Click(session);
        EXPECT_EQ(window.text1, c.text1) << c.connect;
        EXPECT_EQ(session.DbName, "shop");
    }
}

TEST_F(ConnectionTest, OdbcPrefixesEmptyText1ButMixedCaseIsAPath) {
    engine.odbc = OdbcShop("ODBC;DSN=Sales;");
    window.dataSourceChoice = "Sales";
    for (std::string text : {"ODBC:Old.db", "odbc"}) {
        window.text1 = text;
        Command1_Click(session);
        EXPECT_EQ(engine.opened.back(), "");
        EXPECT_EQ(window.text1, "ODBC:Sales.shop");
    }
    window.text1 = "Odbc";
    Command1_Click(session);
    EXPECT_EQ(engine.opened.back(), "Odbc");
    EXPECT_EQ(window.messages.back(), Failure("Odbc", "not found"));
}

TEST_F(ConnectionTest, FailedOdbcReadReportsTextBeforeEmptying) {
    engine.files["shop.mdb"] = Shop();
    window.text1 = "shop.mdb";
    Command1_Click(session);
    window.text1 = "ODBC:Sales.shop";
    window.dataSourceChoice.reset();
    Command1_Click(session);
    EXPECT_EQ(window.messages, (std::vector<RecordedMessage>{Failure("ODBC:Sales.shop", "cancelled")}));
    EXPECT_EQ(window.text1, "");
    EXPECT_TRUE(window.list.empty());
    EXPECT_FALSE(session.gDb);
    // The earlier read's name and buttons stay.
    EXPECT_EQ(session.DbName, "shop.mdb");
    EXPECT_TRUE(window.command3Enabled);
}

TEST_F(ConnectionTest, OnlyAFileBeyondTheReadersLimitsSaysWhy) {
    for (const char* name : {"missing.mdb", "huge.mdb"}) {
        window.text1 = name;
        Command1_Click(session);
    }
    EXPECT_EQ(window.messages, (std::vector<RecordedMessage>{Failure("missing.mdb"),
                                                             Failure("huge.mdb\rメモリの上限に達しました。")}));
}

TEST_F(ConnectionTest, NoOrdinaryTableWarnsAndKeepsDatabaseOpen) {
    FakeDatabase linked;
    linked.tables = {{"Remote", db::attr::AttachedOdbc, {}, {}, {}}, {"Other", db::attr::AttachedTable, {}, {}, {}}};
    engine.files["linked.mdb"] = linked;
    window.text1 = "linked.mdb";
    Command1_Click(session);
    EXPECT_EQ(window.messages, (std::vector<RecordedMessage>{NoTable}));
    EXPECT_FALSE(window.command3Enabled);
    EXPECT_FALSE(window.command4Enabled);
    EXPECT_TRUE(session.gDb);
    EXPECT_EQ(session.DbName, "linked.mdb");
}

TEST_F(ConnectionTest, CatalogueFailureAfterOpenIsReportedAndListEmpty) {
    FakeDatabase broken = Shop();
    broken.failCount = true;
    engine.files["broken.mdb"] = broken;
    window.text1 = "broken.mdb";
    Command1_Click(session);
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_NE(window.messages[0].prompt.find("3146"), std::string::npos);
    EXPECT_TRUE(window.list.empty());
    EXPECT_FALSE(window.command3Enabled);
}

TEST_F(ConnectionTest, CloseDatabaseClosesOnceAndToleratesNothingOpen) {
    bool closed = false;
    FakeDatabase d = Shop();
    d.closed = &closed;
    engine.files["shop.mdb"] = d;
    window.text1 = "shop.mdb";
    Command1_Click(session);
    CloseDatabase(session);
    EXPECT_TRUE(closed);
    EXPECT_FALSE(session.gDb);
    CloseDatabase(session);
    EXPECT_TRUE(window.messages.empty());
}

}  // namespace
}  // namespace kolumbra
