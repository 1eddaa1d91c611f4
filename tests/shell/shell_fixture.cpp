#include "shell_fixture.h"

#include <QAction>
#include <QTimer>

#include "shell/japanese_ui.h"

namespace kolumbra::shell::testing {

QApplication& App() {
    static int argc = 1;
    static char name[] = "shell_test";
    static char* argv[] = {name, nullptr};
    // Never destroyed: the test input devices QTest keeps in statics of its
    // own would otherwise outlive the application that owns them.
    static QApplication* const app = [] {
        auto* created = new QApplication(argc, argv);
        UseJapaneseUi(*created);
        return created;
    }();
    return *app;
}

Answer ScriptedPrompts::MessageBox(QWidget*, const QString& text, Buttons buttons, Icon icon, const QString& title) {
    messages.push_back({text, title, buttons, icon});
    if (whileShown) whileShown(text);
    return Answer::Ok;
}

std::optional<QString> ScriptedPrompts::ChooseFile(QWidget*, const QString& folder, const QString& filter,
                                                   FileUse use) {
    lastFolder = folder;
    lastFilter = filter;
    lastUse = use;
    if (files.empty()) return std::nullopt;
    const QString answer = files.front();
    files.pop_front();
    return answer;
}

std::optional<QString> ScriptedPrompts::ChooseDataSource(QWidget*, const QList<DataSourceItem>& sources) {
    offeredSources = sources;
    return dataSource;
}

void WorkInNextModal(std::function<void(QWidget*)> work) {
    // Polls, so that events handled before the window opens do not use it up.
    auto* poll = new QTimer(QApplication::instance());
    QObject::connect(poll, &QTimer::timeout, [poll, work] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) return;
        poll->stop();
        poll->deleteLater();
        work(modal);
    });
    poll->start(0);
}

void PressInNextModal(const char* button, std::function<void(QWidget*)> edit) {
    WorkInNextModal([button, edit](QWidget* modal) {
        if (edit) edit(modal);
        modal->findChild<QPushButton*>(button)->click();
    });
}

QAction* MenuItem(QWidget* form, const char* name) { return form->findChild<QAction*>(name); }

}  // namespace kolumbra::shell::testing
