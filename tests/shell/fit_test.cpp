// Every text of every window fits its control at the installed fonts: the
// three windows and the message boxes of every command. Controls stay inside
// their parents, and those in a frame clear of its border.

#include <QLabel>
#include <QMessageBox>
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

// The size a control's text needs, as the control itself or the style measures it.
QSize Needed(const QWidget* widget) {
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        if (!label->wordWrap()) return label->sizeHint();
        return {label->minimumSizeHint().width(), label->heightForWidth(label->width())};  // longest word
    }
    const auto* button = qobject_cast<const QPushButton*>(widget);
    if (button == nullptr) return {widget->sizeHint().width(), widget->fontMetrics().height()};  // indicator and caption
    QStyleOptionButton option;
    option.initFrom(button);
    const QRect room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    const QString caption = QString(button->text()).remove('&');
    return {button->fontMetrics().horizontalAdvance(caption) + button->width() - room.width(),
            button->fontMetrics().height()};
}

// The texts that do not fit `window`, each with what is wrong.
std::vector<std::string> Unfit(const QWidget* window) {
    std::vector<std::string> faults;
    const auto fault = [&](const QWidget* widget, const char* what) {
        faults.push_back((widget->objectName() + " " + widget->property("text").toString()).toStdString() + ": " + what);
    };
    for (const QWidget* widget : window->findChildren<QWidget*>()) {
        const bool control = qobject_cast<const QLabel*>(widget) || qobject_cast<const QAbstractButton*>(widget);
        if (!widget->isVisibleTo(window) || !(control || qobject_cast<const QGroupBox*>(widget))) continue;
        if (!widget->parentWidget()->rect().contains(widget->geometry())) fault(widget, "outside its parent");
        if (control && widget->property("text").toString().size() > 0) {
            const QSize needed = Needed(widget);
            if (needed.width() > widget->width()) fault(widget, "too wide");
            if (needed.height() > widget->height()) fault(widget, "too high");
        }
        const auto* frame = qobject_cast<const Frame*>(widget);
        if (frame == nullptr && qobject_cast<const QGroupBox*>(widget)) fault(widget, "border under the caption");
        if (frame == nullptr) continue;
        const QRect inside = frame->Border().adjusted(2, 2, -2, -2);  // clear of both etched lines
        if (frame->CaptionRect().right() >= inside.right()) fault(frame, "caption too wide");
        for (const QWidget* child : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (!inside.contains(child->geometry())) fault(child, "on the frame's border");
    }
    return faults;
}

const std::vector<std::string> Fits;

TEST_F(ShellTest, EveryTextOfTheThreeWindowsFits) {
    auto form = Start();
    form->show();
    EXPECT_EQ(Unfit(form.get()), Fits);
    const auto* box = Find<QLineEdit>(form.get(), "Text1");  // the path labels end before the boxes
    for (const char* name : {"Label1", "Label2", "Label3"}) {
        auto* label = Find<QLabel>(form.get(), name);
        EXPECT_LE(label->x() + label->fontMetrics().horizontalAdvance(label->text()), box->x()) << name;
    }
    Form2 form2(form.get());
    form2.show();
    EXPECT_EQ(Unfit(&form2), Fits);
    EXPECT_EQ(Find<QPushButton>(&form2, "Command1")->font().pointSizeF(), 8.25);
    for (const char* name : {"Label1", "Label2", "Label3"})  // worded to fit without shrinking
        EXPECT_EQ(Find<QLabel>(&form2, name)->font().pointSizeF(), 9) << name;
    Form3 form3(form.get(), form->session(), prompts, form->SettingsPath());
    form3.show();
    EXPECT_EQ(Unfit(&form3), Fits);
}

TEST_F(ShellTest, EveryMessageOfEveryCommandFitsItsBox) {
    auto form = Start();
    const QString folder = QString::fromStdString(dir.path().string());
    const QString missing = folder + QStringLiteral("/販売管理システム/データベース/2024年度");
    const auto press = [&](const char* button, const char* box, const QString& text) {
        Find<QLineEdit>(form.get(), box)->setText(text);
        Find<QPushButton>(form.get(), button)->click();
    };
    // Reading: a missing file, a database without tables, then one with.
    for (const QString& db : {missing + "/a.mdb", QString(KOLUMBRA_FIXTURES "/mdb/linked-only.mdb"),
                              QString(KOLUMBRA_FIXTURES "/mdb/nwind.mdb")})
        press("Command1", "Text1", db);
    // The workbook: nothing selected; then a wrong name, written twice (the
    // same-name question), a missing folder. The CSV listing likewise.
    press("Command4", "Text2", folder + "/table.xls");
    Find<QListWidget>(form.get(), "List1")->item(0)->setSelected(true);
    for (const QString& xls : {folder + "/t.txt", folder + "/t.xls", folder + "/t.xls", missing + "/t.xls"})
        press("Command4", "Text2", xls);
    for (const QString& csv : {QString(), folder + "/t.txt", missing + "/t.csv", folder + "/t.csv"})
        press("Command3", "Text3", csv);
    // Settings that cannot be written, and the fatal report.
    kolumbra::testing::WriteBytes(dir.file("plain"), "x");
    Form3(form.get(), form->session(), prompts, dir.file("plain") + "/kl01.ini").findChild<QPushButton*>("Command1")->click();
    form->MsgBox(ComposeErrorReport("5", "paGetPrivateProfileString"), Buttons::Ok, Icon::None, "");

    std::set<QString> kinds;  // all but a catalogue that fails half-way through
    for (const auto& shown : prompts.messages) kinds.insert(shown.text.left(6));
    EXPECT_EQ(kinds.size(), 14u);
    for (const auto& shown : prompts.messages) {
        SCOPED_TRACE(shown.text.toStdString());
        const auto box = MakeMessageBox(form.get(), shown.text, shown.buttons, shown.icon, shown.title);
        box->show();
        EXPECT_EQ(Unfit(box.get()), Fits);
        EXPECT_TRUE(QApplication::primaryScreen()->availableGeometry().contains(box->frameGeometry()));
    }
}

}  // namespace
}  // namespace kolumbra::shell::testing
