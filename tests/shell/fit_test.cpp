// Every text of every window fits its control at the installed fonts: the
// main window, the version and settings windows, and the message boxes of
// every command. Controls stay inside their parents, and the controls in a
// frame stay clear of its border.

#include <QLabel>
#include <QMessageBox>
#include <QRadioButton>
#include <QScreen>
#include <QStyleOptionButton>
#include <gtest/gtest.h>
#include <set>

#include "common/report_error.h"
#include "shell/form2.h"
#include "shell/form3.h"
#include "shell/frame.h"
#include "shell_fixture.h"

namespace kolumbra::shell::testing {
namespace {

class Faults {
public:
    void Add(const QWidget* widget, const QString& text, const char* what) {
        const QString name = widget->objectName().isEmpty() ? widget->metaObject()->className() : widget->objectName();
        list_.push_back(name.toStdString() + " \"" + text.toStdString() + "\": " + what);
    }
    const std::vector<std::string>& list() const { return list_; }

private:
    std::vector<std::string> list_;
};

void CheckLabel(const QLabel* label, Faults& faults) {
    if (label->text().isEmpty()) return;
    // The label's own measure: wrapped labels need their longest word and
    // the lines at their width, others the whole text.
    const QSize needed = label->wordWrap()
                             ? QSize(label->minimumSizeHint().width(), label->heightForWidth(label->width()))
                             : label->sizeHint();
    if (needed.width() > label->width()) faults.Add(label, label->text(), "too wide");
    if (needed.height() > label->height()) faults.Add(label, label->text(), "too high");
}

void CheckButton(const QAbstractButton* button, Faults& faults) {
    const QString caption = QString(button->text()).remove('&');
    const QFontMetrics metrics = button->fontMetrics();
    if (qobject_cast<const QPushButton*>(button) != nullptr) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const QRect room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        if (metrics.horizontalAdvance(caption) > room.width()) faults.Add(button, caption, "too wide");
    } else if (button->sizeHint().width() > button->width()) {  // indicator and caption
        faults.Add(button, caption, "too wide");
    }
    if (metrics.height() > button->height()) faults.Add(button, caption, "too high");
}

// The caption fits on the top line, and the controls inside stay clear of
// the two etched lines of the border.
void CheckFrame(const Frame* frame, Faults& faults) {
    const QRect border = frame->Border();
    if (frame->CaptionRect().right() >= border.right() - 2) faults.Add(frame, frame->title(), "caption too wide");
    const QRect inside = border.adjusted(2, 2, -2, -2);
    for (const QWidget* control : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!inside.contains(control->geometry())) faults.Add(control, frame->title(), "on the frame's border");
}

std::vector<std::string> Unfit(const QWidget* window) {
    Faults faults;
    for (const QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(window)) continue;
        const bool control = qobject_cast<const QLabel*>(widget) != nullptr ||
                             qobject_cast<const QAbstractButton*>(widget) != nullptr ||
                             qobject_cast<const QGroupBox*>(widget) != nullptr;
        if (!control) continue;
        if (!widget->parentWidget()->rect().contains(widget->geometry()))
            faults.Add(widget, widget->objectName(), "outside its parent");
        if (const auto* label = qobject_cast<const QLabel*>(widget)) CheckLabel(label, faults);
        if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) CheckButton(button, faults);
        if (const auto* frame = qobject_cast<const Frame*>(widget)) CheckFrame(frame, faults);
        else if (qobject_cast<const QGroupBox*>(widget) != nullptr)
            faults.Add(widget, widget->objectName(), "border drawn under the caption, through the controls");
    }
    return faults.list();
}

TEST_F(ShellTest, EveryTextOfTheThreeWindowsFits) {
    auto form = Start();
    form->show();
    EXPECT_EQ(Unfit(form.get()), std::vector<std::string>{});
    // The path labels also end before the boxes beside them.
    const auto* box = Find<QLineEdit>(form.get(), "Text1");
    for (const char* name : {"Label1", "Label2", "Label3"}) {
        auto* label = Find<QLabel>(form.get(), name);
        EXPECT_LE(label->x() + label->fontMetrics().horizontalAdvance(label->text()), box->x()) << name;
    }
    Form2 form2(form.get());
    form2.show();
    EXPECT_EQ(Unfit(&form2), std::vector<std::string>{});
    EXPECT_EQ(Find<QPushButton>(&form2, "Command1")->font().pointSizeF(), 8.25);
    for (const char* name : {"Label1", "Label2", "Label3"})  // worded to fit without shrinking
        EXPECT_EQ(Find<QLabel>(&form2, name)->font().pointSizeF(), 9) << name;
    Form3 form3(form.get(), form->session(), prompts, form->SettingsPath());
    form3.show();
    EXPECT_EQ(Unfit(&form3), std::vector<std::string>{});
}

TEST_F(ShellTest, EveryMessageOfEveryCommandFitsItsBox) {
    auto form = Start();
    const QString folder = QString::fromStdString(dir.path().string());
    const QString missing = folder + QStringLiteral("/販売管理システム/データベース/2024年度");
    const auto press = [&](const char* button, const char* box, const QString& text) {
        Find<QLineEdit>(form.get(), box)->setText(text);
        Find<QPushButton>(form.get(), button)->click();
    };
    // Reading: a file that is not there, a database without tables, then one with.
    press("Command1", "Text1", missing + "/hanbai.mdb");
    press("Command1", "Text1", KOLUMBRA_FIXTURES "/mdb/linked-only.mdb");
    press("Command1", "Text1", KOLUMBRA_FIXTURES "/mdb/nwind.mdb");
    // The workbook with nothing selected, then the first table: a wrong
    // name, written, written again over the same sheet, a missing folder.
    press("Command4", "Text2", folder + "/table.xls");
    Find<QListWidget>(form.get(), "List1")->item(0)->setSelected(true);
    for (const QString& workbook : {folder + "/table.txt", folder + "/table.xls", folder + "/table.xls",
                                    missing + "/table.xls"})
        press("Command4", "Text2", workbook);
    // The CSV listing: no name, a wrong name, a missing folder, written.
    for (const QString& csv : {QString(), folder + "/table.txt", missing + "/table.csv", folder + "/table.csv"})
        press("Command3", "Text3", csv);
    // Settings that cannot be written, and the fatal report.
    kolumbra::testing::WriteBytes(dir.file("plain"), "x");
    Form3(form.get(), form->session(), prompts, dir.file("plain") + "/kl01.ini").findChild<QPushButton*>("Command1")->click();
    form->MsgBox(ComposeErrorReport("5", "paGetPrivateProfileString"), Buttons::Ok, Icon::None, "");

    // Fourteen kinds of message; only a catalogue that fails half-way
    // through reading is left out.
    std::set<QString> distinct;
    for (const auto& shown : prompts.messages) distinct.insert(shown.text.section('\n', 0, 0).left(6));
    EXPECT_EQ(distinct.size(), 14u);
    const QRect screen = QApplication::primaryScreen()->availableGeometry();
    for (const auto& shown : prompts.messages) {
        SCOPED_TRACE(shown.text.toStdString());
        const auto box = MakeMessageBox(form.get(), shown.text, shown.buttons, shown.icon, shown.title);
        box->show();
        EXPECT_EQ(Unfit(box.get()), std::vector<std::string>{});
        EXPECT_TRUE(screen.contains(box->frameGeometry()));
    }
}

}  // namespace
}  // namespace kolumbra::shell::testing
