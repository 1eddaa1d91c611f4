// The read command through the real engine and a real ODBC data source.

#include <gtest/gtest.h>

#include "catalog/connection.h"
#include "catalog/session.h"
#include "odbc_fixture.h"
#include "scripted_window.h"

namespace kolumbra::testing {
namespace {

class OdbcRead : public ::testing::Test {
protected:
    void SetUp() override {
        TestDatabasePath();
        window.dataSourceChoice = TestDsn;
    }

    const std::vector<std::string> OrdinaryTables{"alpha", "details", "m_t", "mxt", "types", "社員マスタ"};
    ScriptedWindow window;
    std::unique_ptr<db::DbEngine> engine = db::MakeDbEngine();
    Session session{window, *engine};
};

TEST_F(OdbcRead, AnEmptyPathChoosesTheSourceAndNamesIt) {
    Command1_Click(session);
    EXPECT_EQ(window.ListTexts(), OrdinaryTables);
    EXPECT_EQ(window.text1, "ODBC:" + TestDsn + "." + TestDatabasePath());
    EXPECT_EQ(session.DbName, TestDatabasePath());
    EXPECT_TRUE(window.command3Enabled && window.command4Enabled);
    EXPECT_EQ(window.events, std::vector<std::string>{"choose data source"});
    EXPECT_TRUE(window.messages.empty());
}

TEST_F(OdbcRead, ReadingTwiceListsTheSameTablesOnce) {
    // The second read starts from the "ODBC:..." text the first one left.
    Command1_Click(session);
    std::string after = window.text1;
    Command1_Click(session);
    EXPECT_EQ(window.ListTexts(), OrdinaryTables);
    EXPECT_EQ(window.text1, after);
    EXPECT_EQ(window.events.size(), 2u);
}

TEST_F(OdbcRead, CapitalOrSmallOdbcPrefixesAskForASource) {
    for (const std::string text : {"ODBC", "odbc", "ODBC:Old.source", "odbc.mdb", "ODBCdata/shop.mdb"}) {
        window.text1 = text;
        Command1_Click(session);
        EXPECT_EQ(window.ListTexts(), OrdinaryTables) << text;
        EXPECT_EQ(window.text1, "ODBC:" + TestDsn + "." + TestDatabasePath()) << text;
    }
    EXPECT_EQ(window.events.size(), 5u);
    EXPECT_TRUE(window.messages.empty());
}

TEST_F(OdbcRead, MixedCaseOdbcIsAFilePath) {
    window.text1 = "Odbc";
    Command1_Click(session);
    EXPECT_TRUE(window.events.empty());
    EXPECT_EQ(window.messages, (std::vector<RecordedMessage>{{"DB接続失敗 DB=Odbc", Buttons::Ok, Icon::None, ""}}));
    EXPECT_FALSE(session.gDb);
}

TEST_F(OdbcRead, AFailedChoiceReportsTheTextBeforeEmptying) {
    Command1_Click(session);
    const std::string earlier = window.text1;
    window.dataSourceChoice = "No such source";
    Command1_Click(session);
    window.dataSourceChoice.reset();  // cancelled
    Command1_Click(session);
    const RecordedMessage failure{"DB接続失敗 DB=" + earlier, Buttons::Ok, Icon::None, ""};
    const RecordedMessage cancelled{"DB接続失敗 DB=", Buttons::Ok, Icon::None, ""};
    EXPECT_EQ(window.messages, (std::vector<RecordedMessage>{failure, cancelled}));
    EXPECT_TRUE(window.list.empty());
    EXPECT_FALSE(session.gDb);
    // What the successful read set stays.
    EXPECT_EQ(session.DbName, TestDatabasePath());
    EXPECT_TRUE(window.command3Enabled);
}

}  // namespace
}  // namespace kolumbra::testing
