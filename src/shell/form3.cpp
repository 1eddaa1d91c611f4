#include "shell/form3.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "shell/enter_key.h"
#include "shell/frame.h"
#include "shell/prompts.h"
#include "shell/settings_file.h"
#include "shell/twips.h"

namespace kolumbra::shell {

Form3::Form3(QWidget* parent, Session& session, Prompts& prompts, std::string settingsPath)
    : QDialog(parent), session_(session), prompts_(prompts), settingsPath_(std::move(settingsPath)) {
    setObjectName("Form3");
    setWindowTitle("Setting");
    setFixedSize(Pixels(4680), Pixels(2160));

    auto* frame1 = new Frame(QStringLiteral("ﾌｨｰﾙﾄﾞ型"), this);
    frame1->setObjectName("Frame1");
    PlaceAt(frame1, 120, 120, 1335, 855);
    standardNames_ = new QRadioButton(QStringLiteral("標準"), frame1);
    standardNames_->setObjectName("Option1_0");
    PlaceAt(standardNames_, 240, 240, 855, 255);
    japaneseNames_ = new QRadioButton(QStringLiteral("日本語"), frame1);
    japaneseNames_->setObjectName("Option1_1");
    PlaceAt(japaneseNames_, 240, 480, 975, 255);

    auto* command1 = new QPushButton("OK", this);
    command1->setObjectName("Command1");
    PlaceAt(command1, 120, 1740, 1815, 300);

    auto* frame2 = new Frame(QStringLiteral("作成者"), this);
    frame2->setObjectName("Frame2");
    PlaceAt(frame2, 1560, 120, 2655, 855);
    author_ = new QLineEdit(frame2);
    author_->setObjectName("Text1");
    PlaceAt(author_, 120, 240, 2415, 270);

    // Below the two frames, above the buttons.
    remarks_ = new QCheckBox(QStringLiteral("摘要に説明を出力"), this);
    remarks_->setObjectName("Check1");
    PlaceAt(remarks_, 120, 1065, 4095, 255);
    refresh_ = new QCheckBox(QStringLiteral("既存ｼｰﾄを更新する"), this);
    refresh_->setObjectName("Check2");
    PlaceAt(refresh_, 120, 1365, 4095, 255);

    auto* command2 = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    command2->setObjectName("Command2");
    PlaceAt(command2, 2760, 1740, 1815, 300);

    setTabOrder(standardNames_, japaneseNames_);
    setTabOrder(japaneseNames_, command1);
    setTabOrder(command1, author_);
    setTabOrder(author_, remarks_);
    setTabOrder(remarks_, refresh_);
    setTabOrder(refresh_, command2);

    // Form_Load: the window always opens on the values in memory.
    author_->setText(QString::fromStdString(session_.gMkname));
    (session_.gJap == 0 ? standardNames_ : japaneseNames_)->setChecked(true);
    remarks_->setChecked(session_.gRemarks != 0);
    refresh_->setChecked(session_.gRefresh != 0);

    connect(command1, &QPushButton::clicked, this, &Form3::Command1_Click);
    connect(command2, &QPushButton::clicked, this, &QDialog::reject);
    EnterPressesFocusedButton(this);
}

void Form3::Command1_Click() {
    session_.gJap = standardNames_->isChecked() ? 0 : 1;
    session_.gMkname = author_->text().toStdString();
    session_.gRemarks = remarks_->isChecked() ? 1 : 0;
    session_.gRefresh = refresh_->isChecked() ? 1 : 0;
    if (!WriteSettingsFile(settingsPath_, session_.gJap, session_.gMkname, session_.gRemarks, session_.gRefresh)) {
        // The new values still hold for this run.
        prompts_.MessageBox(this,
                            QStringLiteral("設定ﾌｧｲﾙを書き込めませんでした。\n") +
                                QString::fromStdString(settingsPath_) +
                                QStringLiteral("\n変更した設定はこのﾌﾟﾛｸﾞﾗﾑの終了まで有効です。"),
                            Buttons::Ok, Icon::Exclamation, QStringLiteral("確認"));
    }
    accept();
}

}  // namespace kolumbra::shell
