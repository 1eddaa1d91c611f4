#pragma once
// The settings window: field-type naming, author name, the refresh and the remarks
// option, written to the settings file on OK.

#include <QDialog>
#include <string>

#include "catalog/session.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace kolumbra::shell {

class Prompts;

class Form3 : public QDialog {
    Q_OBJECT
public:
    Form3(QWidget* parent, Session& session, Prompts& prompts, std::string settingsPath);

private:
    void Command1_Click();

    Session& session_;
    Prompts& prompts_;
    std::string settingsPath_;
    QRadioButton* standardNames_;
    QRadioButton* japaneseNames_;
    QLineEdit* author_;
    QCheckBox* remarks_;
    QCheckBox* refresh_;
};

}  // namespace kolumbra::shell
