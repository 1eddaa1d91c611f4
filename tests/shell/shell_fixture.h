#pragma once
// What the window tests share: one QApplication on the offscreen platform,
// prompts answered by a script, and the main window started in a fresh
// program folder.

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <vector>

#include "engine/db/database.h"
#include "shell/form1.h"
#include "shell/prompts.h"
#include "temp_dir.h"

namespace kolumbra::shell::testing {

QApplication& App();

// Records every question; message boxes are answered OK, file dialogs and
// the data-source chooser from the answers set up (cancelled when none).
struct ScriptedPrompts : Prompts {
    struct Shown {
        QString text, title;
        Buttons buttons;
        Icon icon;
    };
    std::vector<Shown> messages;
    std::deque<QString> files;
    QString lastFolder, lastFilter;
    FileUse lastUse = FileUse::Existing;
    std::optional<QString> dataSource;
    std::optional<QList<DataSourceItem>> offeredSources;
    std::function<void(const QString& text)> whileShown;  // called as each message box is up

    Answer MessageBox(QWidget*, const QString& text, Buttons buttons, Icon icon, const QString& title) override;
    std::optional<QString> ChooseFile(QWidget*, const QString& folder, const QString& filter, FileUse use) override;
    std::optional<QString> ChooseDataSource(QWidget*, const QList<DataSourceItem>& sources) override;
};

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override { App(); }

    std::unique_ptr<Form1> Start() {
        auto form = std::make_unique<Form1>(prompts, *engine, QString::fromStdString(dir.path().string()));
        form->Form_Load();
        return form;
    }
    template <class T>
    static T* Find(QWidget* root, const char* name) {
        return root->findChild<T*>(name);
    }

    kolumbra::testing::TempDir dir;
    ScriptedPrompts prompts;
    std::unique_ptr<db::DbEngine> engine = db::MakeDbEngine();
};

// Works in the modal window that opens next, which `work` has to close.
void WorkInNextModal(std::function<void(QWidget*)> work);
// Works in the modal window that opens next, then presses its `button`.
void PressInNextModal(const char* button, std::function<void(QWidget*)> edit = {});

QAction* MenuItem(QWidget* form, const char* name);

}  // namespace kolumbra::shell::testing
