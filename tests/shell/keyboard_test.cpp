// The main window driven by the keyboard alone, and the ways out of it.

#include <QDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <cstdlib>
#include <gtest/gtest.h>

#include "shell_fixture.h"

namespace kolumbra::shell::testing {
namespace {

class KeyboardTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        form = Start();
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    QWidget* Focused() const { return QApplication::focusWidget(); }
    // A button's access key clicks it once its press has been drawn.
    void PressAccessKey(Qt::Key key, const std::function<bool()>& done) {
        QTest::keyClick(Focused(), key, Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor(done, 5000)) << "Alt+" << char(key);
    }

    std::unique_ptr<Form1> form;
};

TEST_F(KeyboardTest, ReadSelectAndWriteCsvWithoutTheMouse) {
    ASSERT_EQ(Focused(), Find<QWidget>(form.get(), "Text1"));
    QTest::keyClicks(Focused(), KOLUMBRA_FIXTURES "/mdb/nwind.mdb");
    auto* list = Find<QListWidget>(form.get(), "List1");
    PressAccessKey(Qt::Key_R, [&] { return list->count() > 0; });
    ASSERT_GT(list->count(), 2);

    // Text1, Command1, Command2, Command3, then the list.
    for (int i = 0; i < 4; ++i) QTest::keyClick(Focused(), Qt::Key_Tab);
    ASSERT_EQ(Focused(), list);
    QTest::keyClick(list, Qt::Key_Home);
    QTest::keyClick(list, Qt::Key_Down, Qt::ShiftModifier);
    PressAccessKey(Qt::Key_W, [&] { return !prompts.messages.empty(); });

    const std::string csv = kolumbra::testing::ReadBytes(dir.file("table.csv"));
    for (int row : {0, 1}) EXPECT_NE(csv.find("," + list->item(row)->text().toStdString() + ",\r\n"), std::string::npos);
    EXPECT_EQ(csv.find("," + list->item(2)->text().toStdString() + ",\r\n"), std::string::npos);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].title, QStringLiteral("完了"));
}

TEST_F(KeyboardTest, MenuAccessKeysOpenTheModalWindows) {
    struct Road {
        Qt::Key menu, item;
        QString caption;
    };
    for (const Road& road : {Road{Qt::Key_S, Qt::Key_I, "Setting"}, Road{Qt::Key_H, Qt::Key_V, QStringLiteral("Ver 情報")}}) {
        QString opened;
        form->activateWindow();  // back from the last modal window
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        PressInNextModal(road.menu == Qt::Key_S ? "Command2" : "Command1",
                         [&](QWidget* modal) { opened = modal->windowTitle(); });
        QTest::keyClick(form.get(), road.menu, Qt::AltModifier);
        ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }, 5000));
        QTest::keyClick(QApplication::activePopupWidget(), road.item);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !opened.isEmpty(); }, 5000));
        EXPECT_EQ(opened, road.caption);
    }
}

// Enter and keypad Enter, sent through the window, press the focused button
// of the main window; a held Enter presses it once.
TEST_F(KeyboardTest, EnterPressesTheFocusedButton) {
    struct Press {
        const char* button;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        QString dialogFilter;
    };
    for (const Press& press : {Press{"Command5", Qt::Key_Return, Qt::NoModifier, "Access mdb (*.mdb *.accdb)"},
                               Press{"Command7", Qt::Key_Enter, Qt::KeypadModifier, QStringLiteral("csv ﾌｧｲﾙ (*.csv)")}}) {
        prompts.lastFilter.clear();
        Find<QWidget>(form.get(), press.button)->setFocus();
        QTest::keyClick(form->windowHandle(), press.key, press.modifiers);
        EXPECT_EQ(prompts.lastFilter, press.dialogFilter) << press.button;
    }
    prompts.lastFilter.clear();  // after the first press of a held key
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(Focused(), &repeat);
    EXPECT_EQ(prompts.lastFilter, "");
}

// The same in the modal windows, which have no default button: Enter in the
// author box presses nothing.
TEST_F(KeyboardTest, EnterPressesTheFocusedButtonOfTheModalWindows) {
    struct Press {
        const char *menu, *focus;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool closes, writesSettings;
    };
    const Press presses[] = {{"M_VER", "Command1", Qt::Key_Return, Qt::NoModifier, true, false},
                             {"M_komoku_s", "Text1", Qt::Key_Return, Qt::NoModifier, false, false},
                             {"M_komoku_s", "Command2", Qt::Key_Enter, Qt::KeypadModifier, true, false},
                             {"M_komoku_s", "Command1", Qt::Key_Return, Qt::NoModifier, true, true}};
    for (const Press& press : presses) {
        SCOPED_TRACE(std::string(press.menu) + " " + press.focus);
        bool closed = false;
        WorkInNextModal([&](QWidget* modal) {
            modal->findChild<QWidget*>(press.focus)->setFocus();
            QTest::keyClick(modal->windowHandle(), press.key, press.modifiers);
            closed = !modal->isVisible();
            if (!closed) static_cast<QDialog*>(modal)->reject();
        });
        MenuItem(form.get(), press.menu)->trigger();
        EXPECT_EQ(closed, press.closes);
        EXPECT_EQ(std::filesystem::exists(form->SettingsPath()), press.writesSettings);
    }
}

// A window whose every message box ends the process with code 3, so an exit
// code of 0 shows that none was shown.
void ExitWith(const std::function<void(Form1&)>& press, bool readFirst) {
    struct SilentPrompts : ScriptedPrompts {
        Answer MessageBox(QWidget*, const QString&, Buttons, Icon, const QString&) override { std::_Exit(3); }
    } prompts;
    // As in the program itself, the application outlives nothing on exit.
    int argc = 1;
    char name[] = "shell_test";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    kolumbra::testing::TempDir dir;
    const auto engine = db::MakeDbEngine();
    Form1 form(prompts, *engine, QString::fromStdString(dir.path().string()));
    form.Form_Load();
    form.show();
    form.activateWindow();
    if (!QTest::qWaitForWindowActive(&form)) std::_Exit(4);
    if (readFirst) {
        form.findChild<QLineEdit*>("Text1")->setText(KOLUMBRA_FIXTURES "/mdb/nwind.mdb");
        form.findChild<QPushButton*>("Command1")->click();
    }
    press(form);
    (void)QTest::qWaitFor([] { return false; }, 2000);
    std::_Exit(5);  // still running
}

TEST(ExitTest, ButtonMenuAndAccessKeyEndTheProgramWithoutAMessage) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto button = [](Form1& form) { form.findChild<QPushButton*>("Command2")->click(); };
    const auto menu = [](Form1& form) { MenuItem(&form, "M_end")->trigger(); };
    const auto key = [](Form1& form) { QTest::keyClick(&form, Qt::Key_X, Qt::AltModifier); };
    EXPECT_EXIT(ExitWith(button, false), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(ExitWith(button, true), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(ExitWith(menu, true), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(ExitWith(key, false), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace kolumbra::shell::testing
