// The main window and its modal windows through the real widgets, on the
// offscreen platform; every dialog is answered by a script.

#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTreeWidget>
#include <QRadioButton>
#include <QUrl>
#include <gtest/gtest.h>

#include "common/report_error.h"
#include "scripted_window.h"
#include "shell/form3.h"
#include "shell_fixture.h"

namespace kolumbra::shell::testing {
namespace {

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
    // The fatal report's lines end in CR LF: one line break each.
    form->MsgBox(ComposeErrorReport("5", "paGetPrivateProfileString"), Buttons::Ok, Icon::None, "");
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[0].text, "a\nb");
    EXPECT_EQ(prompts.messages[0].title, "Kolumbra");
    EXPECT_EQ(prompts.messages[0].buttons, Buttons::OkCancel);
    EXPECT_EQ(prompts.messages[1].text.count('\n'), 2);
    EXPECT_FALSE(prompts.messages[1].text.contains("\n\n"));
}

// Qt's own texts are Japanese: the file dialogs' titles, the standard
// buttons of the questions and the data-source chooser, the path boxes'
// context menu.
TEST_F(ShellTest, QtsOwnTextsAreJapanese) {
    struct Seen {
        QString title;
        QStringList buttons;
    };
    const auto seen = [](const std::function<void()>& open) {
        Seen seen;
        WorkInNextModal([&seen](QWidget* modal) {
            seen.title = modal->windowTitle();
            for (const auto* button : modal->findChildren<QPushButton*>()) seen.buttons << button->text();
            static_cast<QDialog*>(modal)->reject();
        });
        open();
        return seen;
    };
    DialogPrompts real;
    const QString folder = QString::fromStdString(dir.path().string());
    const auto open = [&](FileUse use) { return [&real, &folder, use] { real.ChooseFile(nullptr, folder, "*.xls", use); }; };
    EXPECT_EQ(seen(open(FileUse::Existing)).title, QStringLiteral("開く"));
    EXPECT_EQ(seen(open(FileUse::New)).title, QStringLiteral("名前を付けて保存"));
    const QStringList okCancel{"OK", QStringLiteral("キャンセル")};
    EXPECT_EQ(seen([&] { real.MessageBox(nullptr, "?", Buttons::OkCancel, Icon::Exclamation, "x"); }).buttons, okCancel);
    EXPECT_EQ(seen([&] { real.ChooseDataSource(nullptr, {{"a", ""}}); }).buttons, okCancel);
    QLineEdit box;
    const std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
    EXPECT_TRUE(menu->actions().first()->text().startsWith(QStringLiteral("元に戻す(&U)")));
}

// Each source beside its description; without sources, where they are declared.
TEST_F(ShellTest, TheChooserShowsDescriptionsOrWhereSourcesAreDeclared) {
    const auto chooser = MakeDataSourceChooser(nullptr, {{"Sales", "販売管理"}, {"Stock", ""}});
    const auto* sources = chooser->findChild<QTreeWidget*>("Sources");
    ASSERT_NE(sources, nullptr);
    ASSERT_EQ(sources->topLevelItemCount(), 2);
    EXPECT_EQ(sources->topLevelItem(0)->text(0), "Sales");
    EXPECT_EQ(sources->topLevelItem(0)->text(1), QStringLiteral("販売管理"));
    EXPECT_EQ(sources->currentItem(), sources->topLevelItem(0));
    EXPECT_EQ(chooser->findChild<QLabel*>("NoSources"), nullptr);

    ::setenv("ODBCINI", "/srv/odbc/sources.ini", 1);
    const auto empty = MakeDataSourceChooser(nullptr, {});
    ::unsetenv("ODBCINI");
    EXPECT_EQ(empty->findChild<QTreeWidget*>("Sources"), nullptr);
    const auto* none = empty->findChild<QLabel*>("NoSources");
    ASSERT_NE(none, nullptr);
    for (const char* place : {"~/.odbc.ini", "/etc/odbc.ini", "ODBCINI", "ODBCINI=/srv/odbc/sources.ini"}) {
        EXPECT_TRUE(none->text().contains(place)) << place;
    }
}

TEST_F(ShellTest, BrowseFillsTheBoxRemembersTheFolderAndCancelKeepsIt) {
    auto form = Start();
    struct Browse {
        const char *button, *box;
        QString filter;
        FileUse use;
    };
    const Browse browses[] = {{"Command5", "Text1", "Access mdb (*.mdb)", FileUse::Existing},
                              {"Command6", "Text2", "Excel book (*.xls)", FileUse::New},
                              {"Command7", "Text3", QStringLiteral("csv ﾌｧｲﾙ (*.csv)"), FileUse::New}};
    for (const Browse& browse : browses) {
        SCOPED_TRACE(browse.button);
        auto* box = Find<QLineEdit>(form.get(), browse.box);
        const QString before = box->text();
        Find<QPushButton>(form.get(), browse.button)->click();  // cancelled
        EXPECT_EQ(prompts.lastFolder.toStdString(), dir.path().string());
        EXPECT_EQ(prompts.lastFilter, browse.filter);
        EXPECT_EQ(prompts.lastUse, browse.use);
        EXPECT_EQ(box->text(), before);
    }
    // The first confirmed dialog moves the folder the next one opens in.
    prompts.files = {QString("/somewhere/else/a.mdb")};
    Find<QPushButton>(form.get(), "Command5")->click();
    EXPECT_EQ(Find<QLineEdit>(form.get(), "Text1")->text(), "/somewhere/else/a.mdb");
    Find<QPushButton>(form.get(), "Command7")->click();
    EXPECT_EQ(prompts.lastFolder, "/somewhere/else");
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(ShellTest, DropsTakeTheFirstFileAndIgnoreDropsWithoutFiles) {
    auto form = Start();
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/t/one.txt"), QUrl::fromLocalFile("/t/two.csv"),
                   QUrl::fromLocalFile("/t/three.csv")});
    QMimeData plain;
    plain.setText("dragged text");
    for (const char* name : {"Text1", "Text2", "Text3"}) {
        SCOPED_TRACE(name);
        auto* box = Find<QLineEdit>(form.get(), name);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box, &drop);
        EXPECT_EQ(box->text(), "/t/one.txt");
        QDropEvent textDrop(QPointF(5, 5), Qt::CopyAction, &plain, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box, &textDrop);
        EXPECT_EQ(box->text(), "/t/one.txt");
    }
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

TEST_F(ShellTest, SettingsOkWritesTheFileAndCancelChangesNothing) {
    const std::string edited = "[KLSETTING]\r\njap=5\r\nmkname=old\r\n";
    kolumbra::testing::WriteBytes(dir.file("kl01.ini"), edited);
    auto form = Start();
    EXPECT_EQ(form->session().gJap, 5);
    PressInNextModal("Command2", [](QWidget* modal) {
        modal->findChild<QRadioButton*>("Option1_0")->setChecked(true);
        modal->findChild<QLineEdit*>("Text1")->setText("abandoned");
    });
    MenuItem(form.get(), "M_komoku_s")->trigger();
    EXPECT_EQ(form->session().gJap, 5);
    EXPECT_EQ(form->session().gMkname, "old");
    EXPECT_EQ(kolumbra::testing::ReadBytes(dir.file("kl01.ini")), edited);

    // Reopened on the old values; confirmed unchanged, 5 is stored as 1.
    bool japaneseShown = false;
    QString authorShown;
    PressInNextModal("Command1", [&](QWidget* modal) {
        japaneseShown = modal->findChild<QRadioButton*>("Option1_1")->isChecked();
        authorShown = modal->findChild<QLineEdit*>("Text1")->text();
    });
    MenuItem(form.get(), "M_komoku_s")->trigger();
    EXPECT_TRUE(japaneseShown);
    EXPECT_EQ(authorShown, "old");
    EXPECT_EQ(kolumbra::testing::ReadBytes(dir.file("kl01.ini")), "[KLSETTING]\r\njap=1\r\nmkname=old\r\nremarks=0\r\nrefresh=0\r\n");

    PressInNextModal("Command1", [](QWidget* modal) {
        modal->findChild<QRadioButton*>("Option1_0")->setChecked(true);
        modal->findChild<QLineEdit*>("Text1")->setText(QStringLiteral(" 山田 "));
    });
    MenuItem(form.get(), "M_komoku_s")->trigger();
    EXPECT_EQ(form->session().gJap, 0);
    EXPECT_EQ(form->session().gMkname, " 山田 ");
    EXPECT_EQ(kolumbra::testing::ReadBytes(dir.file("kl01.ini")),
              "[KLSETTING]\r\njap=0\r\nmkname=\x8e\x52\x93\x63\r\nremarks=0\r\nrefresh=0\r\n");
    EXPECT_TRUE(prompts.messages.empty());
}

// A settings file of three lines has the remarks and refresh options off;
// each check box stores its option as a line of its own that the next start
// reads back, and a file of four lines has refresh off too.
struct OptionBox {
    const char* name;
    const char* caption;
    const char* key;
    std::int16_t Session::*option;
    const char* stored;  // the file's last two lines with the box ticked
};

const OptionBox OptionBoxes[] = {
    {"Check1", "摘要に説明を出力", "remarks", &Session::gRemarks, "remarks=1\r\nrefresh=0\r\n"},
    {"Check2", "既存ｼｰﾄを更新する", "refresh", &Session::gRefresh, "remarks=0\r\nrefresh=1\r\n"},
};

TEST_F(ShellTest, OptionCheckBoxesAreSavedAndReadBack) {
    for (const OptionBox& option : OptionBoxes) {
        SCOPED_TRACE(option.name);
        kolumbra::testing::WriteBytes(dir.file("kl01.ini"), "[KLSETTING]\r\njap=1\r\nmkname=old\r\n");
        auto form = Start();
        EXPECT_EQ(form->session().*option.option, 0);
        bool shown = true;
        QRect box, frame1, frame2, ok, other;
        PressInNextModal("Command1", [&](QWidget* modal) {
            auto* check = modal->findChild<QCheckBox*>(option.name);
            shown = check->isChecked();
            box = check->geometry();
            frame1 = modal->findChild<QWidget*>("Frame1")->geometry();
            frame2 = modal->findChild<QWidget*>("Frame2")->geometry();
            ok = modal->findChild<QWidget*>("Command1")->geometry();
            other = modal->findChild<QWidget*>(option.name == std::string("Check1") ? "Check2" : "Check1")->geometry();
            EXPECT_EQ(check->text(), QString::fromUtf8(option.caption));
            check->setChecked(true);
        });
        MenuItem(form.get(), "M_komoku_s")->trigger();
        EXPECT_FALSE(shown);
        EXPECT_GT(box.top(), std::max(frame1.bottom(), frame2.bottom())) << "below both frames";
        EXPECT_LT(box.bottom(), ok.top()) << "above the buttons";
        EXPECT_FALSE(box.intersects(other));
        EXPECT_EQ(form->session().*option.option, 1);
        EXPECT_EQ(kolumbra::testing::ReadBytes(dir.file("kl01.ini")),
                  std::string("[KLSETTING]\r\njap=1\r\nmkname=old\r\n") + option.stored);

        auto restarted = Start();
        EXPECT_EQ(restarted->session().*option.option, 1);
        PressInNextModal("Command1", [&](QWidget* modal) { shown = modal->findChild<QCheckBox*>(option.name)->isChecked(); });
        MenuItem(restarted.get(), "M_komoku_s")->trigger();
        EXPECT_TRUE(shown);
        for (const std::string value : {"0", "yes", "2"}) {
            kolumbra::testing::WriteBytes(dir.file("kl01.ini"),
                                          "[KLSETTING]\r\n" + std::string(option.key) + "=" + value + "\r\n");
            EXPECT_EQ(Start()->session().*option.option, 0) << value;
        }
    }
    kolumbra::testing::WriteBytes(dir.file("kl01.ini"), "[KLSETTING]\r\njap=1\r\nmkname=old\r\nremarks=1\r\n");
    EXPECT_EQ(Start()->session().gRefresh, 0) << "four lines";
}

TEST_F(ShellTest, SettingsThatCannotBeWrittenAreReportedAndKeptForTheRun) {
    kolumbra::testing::ScriptedWindow window;
    Session session(window, *engine);
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

}  // namespace
}  // namespace kolumbra::shell::testing
