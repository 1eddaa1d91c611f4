// The main window and its modal windows through the real widgets, on the
// offscreen platform; every dialog is answered by a script.

#include <QApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QUrl>
#include <cstdio>
#include <deque>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "shell/form1.h"
#include "shell/form3.h"
#include "shell/prompts.h"
#include "scripted_window.h"
#include "temp_dir.h"

namespace kolumbra::shell {
namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "shell_test";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

struct ScriptedPrompts : Prompts {
    struct Shown {
        QString text, title;
        Buttons buttons;
        Icon icon;
    };
    std::vector<Shown> messages;
    std::deque<std::optional<QString>> files;
    QString lastFolder, lastFilter;
    FileUse lastUse = FileUse::Existing;

    Answer MessageBox(QWidget*, const QString& text, Buttons buttons, Icon icon, const QString& title) override {
        messages.push_back({text, title, buttons, icon});
        return Answer::Ok;
    }
    std::optional<QString> ChooseFile(QWidget*, const QString& folder, const QString& filter, FileUse use) override {
        lastFolder = folder;
        lastFilter = filter;
        lastUse = use;
        auto answer = files.front();
        files.pop_front();
        return answer;
    }
    std::optional<QString> ChooseDataSource(QWidget*, const QStringList&) override { return std::nullopt; }
};

struct NoEngine : db::DbEngine {
    std::unique_ptr<db::Database> OpenDatabase(const std::string&, const db::DataSourceChooser&) override {
        return nullptr;
    }
};

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override { App(); }

    std::unique_ptr<Form1> Start() {
        auto form = std::make_unique<Form1>(prompts, engine, QString::fromStdString(dir.path().string()));
        form->Form_Load();
        return form;
    }
    template <class T>
    static T* Find(QWidget* root, const char* name) {
        return root->findChild<T*>(name);
    }

    kolumbra::testing::TempDir dir;
    ScriptedPrompts prompts;
    NoEngine engine;
};

TEST_F(ShellTest, StartsWithDefaultPathsEmptyListAndExportsDisabled) {
    auto form = Start();
    const QString folder = QString::fromStdString(dir.path().string());
    EXPECT_EQ(form->windowTitle(), "Kolumbra");
    EXPECT_EQ(Find<QLineEdit>(form.get(), "Text1")->text(), "");
    EXPECT_EQ(Find<QLineEdit>(form.get(), "Text2")->text(), folder + "/table.xls");
    EXPECT_EQ(Find<QLineEdit>(form.get(), "Text3")->text(), folder + "/table.csv");
    EXPECT_EQ(Find<QListWidget>(form.get(), "List1")->count(), 0);
    EXPECT_EQ(Find<QListWidget>(form.get(), "List1")->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_FALSE(Find<QPushButton>(form.get(), "Command3")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>(form.get(), "Command4")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>(form.get(), "Command1")->isEnabled());
    EXPECT_EQ(Find<QPushButton>(form.get(), "Command1")->geometry(), QRect(320, 8, 105, 65));
    EXPECT_EQ(form->session().gJap, 0);
    EXPECT_EQ(form->session().gMkname, "");
    EXPECT_FALSE(std::filesystem::exists(form->SettingsPath()));
}

TEST_F(ShellTest, MessageBoxGetsApplicationTitleAndLineBreaks) {
    auto form = Start();
    form->MsgBox("a\rb", Buttons::OkCancel, Icon::Question, "");
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "a\nb");
    EXPECT_EQ(prompts.messages[0].title, "Kolumbra");
    EXPECT_EQ(prompts.messages[0].buttons, Buttons::OkCancel);
}

TEST_F(ShellTest, BrowseFillsTheBoxRemembersTheFolderAndCancelKeepsIt) {
    auto form = Start();
    auto* text1 = Find<QLineEdit>(form.get(), "Text1");
    prompts.files = {QString("/somewhere/else/a.mdb"), std::nullopt};
    Find<QPushButton>(form.get(), "Command5")->click();
    EXPECT_EQ(prompts.lastFolder.toStdString(), dir.path().string());
    EXPECT_EQ(prompts.lastFilter, "Access mdb (*.mdb)");
    EXPECT_EQ(prompts.lastUse, FileUse::Existing);
    EXPECT_EQ(text1->text(), "/somewhere/else/a.mdb");
    auto* text3 = Find<QLineEdit>(form.get(), "Text3");
    const QString before = text3->text();
    Find<QPushButton>(form.get(), "Command7")->click();
    EXPECT_EQ(prompts.lastFolder, "/somewhere/else");
    EXPECT_EQ(prompts.lastUse, FileUse::New);
    EXPECT_EQ(text3->text(), before);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(ShellTest, DropTakesTheFirstFileAndIgnoresDropsWithoutFiles) {
    auto form = Start();
    auto* text3 = Find<QLineEdit>(form.get(), "Text3");
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/t/one.csv"), QUrl::fromLocalFile("/t/two.csv")});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(text3, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(text3, &drop);
    EXPECT_EQ(text3->text(), "/t/one.csv");
    QMimeData plain;
    plain.setText("dragged text");
    QDropEvent textDrop(QPointF(5, 5), Qt::CopyAction, &plain, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(text3, &textDrop);
    EXPECT_EQ(text3->text(), "/t/one.csv");
}

TEST_F(ShellTest, PauseHoldsTheWindowWithoutTakingQueuedEvents) {
    auto form = Start();
    bool delivered = false;
    QMetaObject::invokeMethod(form.get(), [&] { delivered = true; }, Qt::QueuedConnection);
    form->Pause(1);
    EXPECT_FALSE(delivered);
    QCoreApplication::processEvents();
    EXPECT_TRUE(delivered);
}

// Presses a button of the modal window that opens next, once it is shown.
void PressInNextModal(const char* button, std::function<void(QWidget*)> edit = {}) {
    QTimer::singleShot(0, [button, edit] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        if (edit) edit(modal);
        modal->findChild<QPushButton*>(button)->click();
    });
}

QAction* MenuItem(QWidget* form, const char* name) { return form->findChild<QAction*>(name); }

TEST_F(ShellTest, SettingsOkWritesTheFileAndCancelChangesNothing) {
    kolumbra::testing::WriteBytes(dir.file("kl01.ini"), "[KLSETTING]\r\njap=5\r\nmkname=old\r\n");
    auto form = Start();
    EXPECT_EQ(form->session().gJap, 5);
    bool japaneseShown = false;
    PressInNextModal("Command2", [&](QWidget* modal) {
        japaneseShown = modal->findChild<QRadioButton*>("Option1_1")->isChecked();
        modal->findChild<QLineEdit*>("Text1")->setText("abandoned");
    });
    MenuItem(form.get(), "M_komoku_s")->trigger();
    EXPECT_TRUE(japaneseShown);
    EXPECT_EQ(form->session().gMkname, "old");
    EXPECT_EQ(kolumbra::testing::ReadBytes(dir.file("kl01.ini")), "[KLSETTING]\r\njap=5\r\nmkname=old\r\n");

    PressInNextModal("Command1", [](QWidget* modal) {
        modal->findChild<QRadioButton*>("Option1_0")->setChecked(true);
        modal->findChild<QLineEdit*>("Text1")->setText(QStringLiteral(" 山田 "));
    });
    MenuItem(form.get(), "M_komoku_s")->trigger();
    EXPECT_EQ(form->session().gJap, 0);
    EXPECT_EQ(form->session().gMkname, " 山田 ");
    EXPECT_EQ(kolumbra::testing::ReadBytes(dir.file("kl01.ini")), "[KLSETTING]\r\njap=0\r\nmkname=\x8e\x52\x93\x63\r\n");
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(ShellTest, SettingsThatCannotBeWrittenAreReportedAndKeptForTheRun) {
    kolumbra::testing::ScriptedWindow window;
    Session session(window, engine);
    kolumbra::testing::WriteBytes(dir.file("plain"), "x");
    Form3 form3(nullptr, session, prompts, dir.file("plain") + "/kl01.ini");
    form3.findChild<QRadioButton*>("Option1_1")->setChecked(true);
    form3.findChild<QPushButton*>("Command1")->click();
    EXPECT_EQ(session.gJap, 1);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].title, QStringLiteral("確認"));
}

TEST_F(ShellTest, VersionWindowOpensFromTheHelpMenuAndCloses) {
    auto form = Start();
    QString caption;
    PressInNextModal("Command1", [&](QWidget* modal) { caption = modal->windowTitle(); });
    MenuItem(form.get(), "M_VER")->trigger();
    EXPECT_EQ(caption, QStringLiteral("Ver 情報"));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// The main window on the real database engine, with nwind.mdb read into it.
class ReadShellTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        form = std::make_unique<Form1>(prompts, *real, QString::fromStdString(dir.path().string()));
        form->Form_Load();
        Find<QLineEdit>(form.get(), "Text1")->setText(KOLUMBRA_FIXTURES "/mdb/nwind.mdb");
        Find<QPushButton>(form.get(), "Command1")->click();
        list = Find<QListWidget>(form.get(), "List1");
        ASSERT_GT(list->count(), 1) << (prompts.messages.empty() ? "" : prompts.messages[0].text.toStdString());
        prompts.messages.clear();
    }
    void Select(std::initializer_list<int> rows) {
        for (int row : rows) list->item(row)->setSelected(true);
    }

    std::unique_ptr<db::DbEngine> real = db::MakeDbEngine();
    std::unique_ptr<Form1> form;
    QListWidget* list = nullptr;
};

// The sheet names an independent reader finds in a workbook.
std::string SheetNames(const std::string& path) {
    const std::string command =
        "/usr/bin/python3 -c 'import sys, xlrd; print(\",\".join(xlrd.open_workbook(sys.argv[1]).sheet_names()))' '" +
        path + "'";
    std::string names;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe)) names += buffer;
        pclose(pipe);
    }
    return names;
}

TEST_F(ReadShellTest, ReadingEnablesTheExportsAndCsvWritesTheSelectedTables) {
    EXPECT_TRUE(Find<QPushButton>(form.get(), "Command3")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>(form.get(), "Command4")->isEnabled());
    Select({0, 1});
    Find<QPushButton>(form.get(), "Command3")->click();
    const std::string csv = kolumbra::testing::ReadBytes(dir.file("table.csv"));
    EXPECT_NE(csv.find("," + list->item(0)->text().toStdString() + ",\r\n"), std::string::npos);
    EXPECT_NE(csv.find("," + list->item(1)->text().toStdString() + ",\r\n"), std::string::npos);
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
    // A new workbook starts with a sheet of its own; the tables' sheets follow it.
    EXPECT_THAT(SheetNames(dir.file("table.xls")),
                ::testing::EndsWith("," + (list->item(0)->text() + "," + list->item(2)->text()).toStdString() + "\n"));
    EXPECT_EQ(form->findChild<QProgressBar*>("ProgressBar1")->value(), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace kolumbra::shell
