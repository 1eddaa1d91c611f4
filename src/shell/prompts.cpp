#include "shell/prompts.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>

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

// Where unixODBC looks for data sources: the user's file (the one ODBCINI
// names, if any) and the system's.
QString NoDataSourceText() {
    QString text = QStringLiteral("ﾃﾞｰﾀ ｿｰｽが登録されていません。\n"
                                  "ﾃﾞｰﾀ ｿｰｽは ~/.odbc.ini、/etc/odbc.ini、"
                                  "または環境変数 ODBCINI の名前のﾌｧｲﾙに登録します。");
    for (const char* variable : {"ODBCINI", "ODBCSYSINI"}) {
        const char* value = std::getenv(variable);
        if (value && *value) text += QStringLiteral("\n%1=%2").arg(variable, QString::fromLocal8Bit(value));
    }
    return text;
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

std::optional<QString> DialogPrompts::ChooseFile(QWidget* parent, const QString& folder, const QString& filter,
                                                 FileUse use) {
    const QString chosen = use == FileUse::Existing
                               ? QFileDialog::getOpenFileName(parent, QString(), folder, filter)
                               : QFileDialog::getSaveFileName(parent, QString(), folder, filter, nullptr,
                                                              QFileDialog::DontConfirmOverwrite);
    if (chosen.isEmpty()) return std::nullopt;
    return chosen;
}

std::unique_ptr<QDialog> MakeDataSourceChooser(QWidget* parent, const QList<DataSourceItem>& sources) {
    auto dialog = std::make_unique<QDialog>(parent);
    dialog->setWindowTitle(QStringLiteral("ﾃﾞｰﾀ ｿｰｽの選択"));
    auto* layout = new QVBoxLayout(dialog.get());
    if (sources.isEmpty()) {
        auto* none = new QLabel(NoDataSourceText(), dialog.get());
        none->setObjectName("NoSources");
        none->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(none);
    } else {
        auto* list = new QTreeWidget(dialog.get());
        list->setObjectName("Sources");
        list->setHeaderLabels({QStringLiteral("名前"), QStringLiteral("説明")});
        list->setRootIsDecorated(false);
        for (const DataSourceItem& source : sources) new QTreeWidgetItem(list, {source.name, source.description});
        list->resizeColumnToContents(0);
        list->resizeColumnToContents(1);
        list->setCurrentItem(list->topLevelItem(0));
        // Wide enough for the names and descriptions, up to half a screen.
        const int width = list->columnWidth(0) + list->columnWidth(1) + 48;
        dialog->resize(std::clamp(width, 360, 640), 280);
        QObject::connect(list, &QTreeWidget::itemDoubleClicked, dialog.get(), &QDialog::accept);
        layout->addWidget(list);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog.get());
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog.get(), &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog.get(), &QDialog::reject);
    layout->addWidget(buttons);
    return dialog;
}

std::optional<QString> DialogPrompts::ChooseDataSource(QWidget* parent, const QList<DataSourceItem>& sources) {
    const std::unique_ptr<QDialog> dialog = MakeDataSourceChooser(parent, sources);
    const auto* list = dialog->findChild<QTreeWidget*>("Sources");
    if (dialog->exec() != QDialog::Accepted || list == nullptr || list->currentItem() == nullptr) return std::nullopt;
    return list->currentItem()->text(0);
}

}  // namespace kolumbra::shell
