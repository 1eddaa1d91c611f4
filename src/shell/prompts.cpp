#include "shell/prompts.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <QListWidget>
#include <QMessageBox>
#include <QVBoxLayout>

namespace kolumbra::shell {
namespace {

QMessageBox::Icon QtIcon(Icon icon) {
    switch (icon) {
    case Icon::Exclamation: return QMessageBox::Warning;
    case Icon::Critical: return QMessageBox::Critical;
    case Icon::Question: return QMessageBox::Question;
    case Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, const QString& text, Buttons buttons, Icon icon,
                                            const QString& title) {
    auto box = std::make_unique<QMessageBox>(QtIcon(icon), title, text, QMessageBox::Ok, parent);
    if (buttons == Buttons::OkCancel) box->addButton(QMessageBox::Cancel);
    box->setDefaultButton(QMessageBox::Ok);
    return box;
}

Answer DialogPrompts::MessageBox(QWidget* parent, const QString& text, Buttons buttons, Icon icon,
                                 const QString& title) {
    const auto box = MakeMessageBox(parent, text, buttons, icon, title);
    return box->exec() == QMessageBox::Ok ? Answer::Ok : Answer::Cancel;
}

QString WithFilterExtension(const QString& path, const QString& filter) {
    if (!QFileInfo(path).suffix().isEmpty()) return path;
    static const QRegularExpression pattern(QStringLiteral("\\*(\\.[^ ;)*]+)"));
    const QRegularExpressionMatch match = pattern.match(filter);
    return match.hasMatch() ? path + match.captured(1) : path;
}

std::optional<QString> DialogPrompts::ChooseFile(QWidget* parent, const QString& folder, const QString& filter,
                                                 FileUse use) {
    QString selected;
    const QString chosen = use == FileUse::Existing
                               ? QFileDialog::getOpenFileName(parent, QString(), folder, filter)
                               : QFileDialog::getSaveFileName(parent, QString(), folder, filter, &selected,
                                                              QFileDialog::DontConfirmOverwrite);
    if (chosen.isEmpty()) return std::nullopt;
    return use == FileUse::New ? WithFilterExtension(chosen, selected) : chosen;
}

std::optional<QString> DialogPrompts::ChooseDataSource(QWidget* parent, const QStringList& names) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("ﾃﾞｰﾀ ｿｰｽの選択"));
    auto* list = new QListWidget(&dialog);
    list->addItems(names);
    if (!names.isEmpty()) list->setCurrentRow(0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(list);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted || list->currentItem() == nullptr) return std::nullopt;
    return list->currentItem()->text();
}

}  // namespace kolumbra::shell
