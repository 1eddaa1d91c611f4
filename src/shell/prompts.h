#pragma once
// The modal questions the windows put to the user: message boxes, the file
// dialog and the data-source chooser. The program answers them with real
// dialogs; tests replace them with scripted answers.

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "common/window_services.h"

class QDialog;
class QMessageBox;
class QWidget;

namespace kolumbra::shell {

// How the file dialog is to be used: pick an existing file, or name one
// that may not exist yet.
enum class FileUse { Existing, New };

// A data source the chooser offers.
struct DataSourceItem {
    QString name;
    QString description;
};

class Prompts {
public:
    virtual ~Prompts() = default;

    // `text` already carries Qt line breaks; `title` is never empty.
    virtual Answer MessageBox(QWidget* parent, const QString& text, Buttons buttons, Icon icon,
                              const QString& title) = 0;

    // The chosen file's full path, or nothing when cancelled.
    virtual std::optional<QString> ChooseFile(QWidget* parent, const QString& folder, const QString& filter,
                                              FileUse use) = 0;

    // The chosen data source's name, or nothing when cancelled.
    virtual std::optional<QString> ChooseDataSource(QWidget* parent, const QList<DataSourceItem>& sources) = 0;
};

// The message box the real dialogs show, not yet shown.
std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, const QString& text, Buttons buttons, Icon icon,
                                            const QString& title);

// The data-source chooser, not yet shown: each source's name and
// description in a list ("Sources"), or where sources are declared when
// there is none (a label, "NoSources").
std::unique_ptr<QDialog> MakeDataSourceChooser(QWidget* parent, const QList<DataSourceItem>& sources);

// The real dialogs.
class DialogPrompts : public Prompts {
public:
    Answer MessageBox(QWidget* parent, const QString& text, Buttons buttons, Icon icon,
                      const QString& title) override;
    std::optional<QString> ChooseFile(QWidget* parent, const QString& folder, const QString& filter,
                                      FileUse use) override;
    std::optional<QString> ChooseDataSource(QWidget* parent, const QList<DataSourceItem>& sources) override;
};

}  // namespace kolumbra::shell
