// The read command through the real engine and a real ODBC data source.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "catalog/connection.h"
#include "catalog/session.h"
#include "odbc_fixture.h"
#include "scripted_window.h"

namespace kolumbra::testing {
namespace {

using ::testing::StartsWith;

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
    EXPECT_EQ(window.text1, "ODBC:" + TestDsn + ".test.db");
    EXPECT_EQ(session.DbName, "test.db");
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
        EXPECT_EQ(window.text1, "ODBC:" + TestDsn + ".test.db") << text;
    }
    EXPECT_EQ(window.events.size(), 5u);
    EXPECT_TRUE(window.messages.empty());
}

TEST_F(OdbcRead, MixedCaseOdbcIsAFilePath) {
    window.text1 = "Odbc";
    Command1_Click(session);
    EXPECT_TRUE(window.events.empty());
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_THAT(window.messages[0].prompt, StartsWith("DB接続失敗 DB=Odbc\r"));
    EXPECT_FALSE(session.gDb);
}

TEST_F(OdbcRead, AFailedChoiceReportsTheTextBeforeEmptyingAndWhy) {
    Command1_Click(session);
    const std::string earlier = window.text1;
    window.dataSourceChoice = DriverlessDsn;
    Command1_Click(session);
    window.dataSourceChoice.reset();  // cancelled
    Command1_Click(session);
    ASSERT_EQ(window.messages.size(), 2u);
    EXPECT_THAT(window.messages[0].prompt,
                StartsWith("DB接続失敗 DB=" + earlier + "\r01000 [unixODBC][Driver Manager]Can't open lib '"));
    EXPECT_EQ(window.messages[1], (RecordedMessage{"DB接続失敗 DB=\r操作は取り消されました。", Buttons::Ok, Icon::None, ""}));
    EXPECT_TRUE(window.list.empty());
    EXPECT_FALSE(session.gDb);
    // What the successful read set stays.
    EXPECT_EQ(session.DbName, "test.db");
    EXPECT_TRUE(window.command3Enabled);
}

}  // namespace
}  // namespace kolumbra::testing
