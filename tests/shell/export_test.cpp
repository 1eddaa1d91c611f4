// The read, CSV and workbook commands through the main window's widgets on
// the real database engine.

#include <QApplication>
#include <QProgressBar>
#include <cstdlib>
#include <map>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "shell_fixture.h"
#include "workbook_probe.h"

namespace kolumbra::shell::testing {
namespace {

// The main window with nwind.mdb read into it.
class ReadShellTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        form = Start();
        Find<QLineEdit>(form.get(), "Text1")->setText(KOLUMBRA_FIXTURES "/mdb/nwind.mdb");
        Find<QPushButton>(form.get(), "Command1")->click();
        list = Find<QListWidget>(form.get(), "List1");
        ASSERT_GT(list->count(), 2) << (prompts.messages.empty() ? "" : prompts.messages[0].text.toStdString());
        prompts.messages.clear();
    }
    void Select(std::initializer_list<int> rows) {
        for (int row : rows) list->item(row)->setSelected(true);
    }
    std::string Name(int row) const { return list->item(row)->text().toStdString(); }

    std::unique_ptr<Form1> form;
    QListWidget* list = nullptr;
};

TEST_F(ReadShellTest, ReadingEnablesTheExportsAndCsvWritesTheSelectedTables) {
    EXPECT_TRUE(Find<QPushButton>(form.get(), "Command3")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>(form.get(), "Command4")->isEnabled());
    Select({0, 1});
    Find<QPushButton>(form.get(), "Command3")->click();
    const std::string csv = kolumbra::testing::ReadBytes(dir.file("table.csv"));
    EXPECT_NE(csv.find("," + Name(0) + ",\r\n"), std::string::npos);
    EXPECT_NE(csv.find("," + Name(1) + ",\r\n"), std::string::npos);
    EXPECT_EQ(csv.find("," + Name(2) + ",\r\n"), std::string::npos);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].title, QStringLiteral("完了"));
}

TEST_F(ReadShellTest, WorkbookButtonAsksOnceWritesTheSelectedSheetsAndResetsTheWindow) {
    Select({0, 2});
    Find<QPushButton>(form.get(), "Command4")->click();
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[0].buttons, Buttons::OkCancel);
    EXPECT_EQ(prompts.messages[0].title, QStringLiteral("確認"));
    EXPECT_EQ(prompts.messages[1].text, QStringLiteral("table.xlsが作成されました"));
    EXPECT_EQ(prompts.messages[1].title, QStringLiteral("完了"));
    std::vector<std::string> sheets;
    for (const auto& sheet : kolumbra::testing::ProbeWorkbook(dir.file("table.xls"))) sheets.push_back(sheet.name);
    // A new workbook starts with a sheet of its own; the tables' sheets follow it.
    EXPECT_THAT(sheets, ::testing::ElementsAre(::testing::_, Name(0), Name(2)));
    EXPECT_EQ(Find<QProgressBar>(form.get(), "ProgressBar1")->value(), 0);
}

// While the workbook is written the main window is drawn again whole, so
// that the confirmation just closed does not stay drawn over it; calls and
// input queued meanwhile wait until the command ends.
TEST_F(ReadShellTest, TheWindowIsRedrawnDuringAnExportAndTakesNothingElse) {
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            paints += event->type() == QEvent::Paint ? 1 : 0;
            return false;
        }
    } counter;
    form->show();
    QCoreApplication::processEvents();
    bool delivered = false;
    QMetaObject::invokeMethod(form.get(), [&] { delivered = true; }, Qt::QueuedConnection);
    form->installEventFilter(&counter);
    Select({0});
    Find<QPushButton>(form.get(), "Command4")->click();
    form->removeEventFilter(&counter);
    EXPECT_GE(counter.paints, 6) << "at least once for each step of the page";
    EXPECT_FALSE(delivered);
    QCoreApplication::processEvents();
    EXPECT_TRUE(delivered);
}

// The hourglass shows over the whole main window while the workbook is
// written, and only there: a question asked meanwhile keeps its own pointer.
TEST_F(ReadShellTest, BusyPointerCoversTheMainWindowOnly) {
    const auto pointers = [&] {  // over a path box, the list and the status bar
        std::vector<Qt::CursorShape> shapes;
        for (const char* name : {"Text1", "List1", "StatusBar1"}) {
            const auto* control = Find<QWidget>(form.get(), name);
            shapes.push_back(form->childAt(control->mapTo(form.get(), control->rect().center()))->cursor().shape());
        }
        return shapes;
    };
    std::map<QString, std::vector<Qt::CursorShape>> shown;  // by the message's start
    bool overridden = false;
    prompts.whileShown = [&](const QString& text) {
        shown[text.left(4)] = pointers();
        overridden = overridden || QApplication::overrideCursor() != nullptr;
    };
    Select({0});
    for (int run = 0; run < 2; ++run) Find<QPushButton>(form.get(), "Command4")->click();  // the second asks about the sheet
    const std::vector<Qt::CursorShape> idle{Qt::IBeamCursor, Qt::ArrowCursor, Qt::ArrowCursor};
    EXPECT_EQ(shown[QStringLiteral("ﾃｰﾌﾞ")], idle);  // the confirmation, before the work
    EXPECT_EQ(shown[QStringLiteral("ｼｰﾄ作")], std::vector<Qt::CursorShape>(3, Qt::WaitCursor));
    EXPECT_FALSE(overridden);
    EXPECT_EQ(pointers(), idle);
}

// The sample data source the build declares, offered when the path box is empty.
TEST_F(ShellTest, EmptyPathOffersTheDataSourcesAndReadsTheChosenOne) {
    ::setenv("ODBCINI", KOLUMBRA_BINARY_DIR "/sample/odbc.ini", 1);
    ::setenv("ODBCSYSINI", KOLUMBRA_BINARY_DIR "/sample", 1);
    auto form = Start();
    prompts.dataSource = "Kolumbra sample";
    Find<QPushButton>(form.get(), "Command1")->click();
    ::unsetenv("ODBCINI");
    ::unsetenv("ODBCSYSINI");
    ASSERT_TRUE(prompts.offeredSources);
    ASSERT_EQ(prompts.offeredSources->size(), 1);
    EXPECT_EQ(prompts.offeredSources->at(0).name, "Kolumbra sample");
    EXPECT_EQ(prompts.offeredSources->at(0).description, "Kolumbra sample sales database");
    EXPECT_TRUE(prompts.messages.empty()) << prompts.messages[0].text.toStdString();
    EXPECT_EQ(Find<QListWidget>(form.get(), "List1")->count(), 12);
    EXPECT_TRUE(Find<QPushButton>(form.get(), "Command4")->isEnabled());
}

}  // namespace
}  // namespace kolumbra::shell::testing
