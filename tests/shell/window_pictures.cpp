// Draws the README's pictures of the three windows, saved as PNG into
// FOLDER: main-window.png (the main window after reading DATABASE, with the
// first two tables selected), version-window.png and settings-window.png.
// Usage: window_pictures DATABASE FOLDER (run on a real display platform,
// for example under xvfb-run).

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <cstdio>

#include "shell/form1.h"
#include "shell/form2.h"
#include "shell/form3.h"
#include "shell/japanese_ui.h"
#include "shell/prompts.h"

namespace {

bool Save(QWidget& window, const QString& path) {
    window.show();
    QApplication::processEvents();
    if (window.grab().save(path)) return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s DATABASE FOLDER\n", argv[0]);
        return 2;
    }
    kolumbra::shell::UseJapaneseUi(app);
    const QDir folder(QString::fromLocal8Bit(argv[2]));
    kolumbra::shell::DialogPrompts prompts;
    const auto engine = kolumbra::db::MakeDbEngine();
    // A program folder as an installed copy would have it; nothing is
    // written there, and a missing settings file gives the defaults.
    kolumbra::shell::Form1 form1(prompts, *engine, "/opt/kolumbra");
    form1.Form_Load();
    form1.show();
    form1.findChild<QLineEdit*>("Text1")->setText(QString::fromLocal8Bit(argv[1]));
    form1.findChild<QPushButton*>("Command1")->click();
    auto* list = form1.findChild<QListWidget*>("List1");
    if (list->count() < 2) {
        std::fprintf(stderr, "%s: fewer than two tables were read\n", argv[0]);
        return 1;
    }
    list->item(0)->setSelected(true);
    list->item(1)->setSelected(true);
    list->setCurrentRow(1, QItemSelectionModel::NoUpdate);
    list->setFocus();
    if (!Save(form1, folder.filePath("main-window.png"))) return 1;

    kolumbra::shell::Form2 form2(&form1);
    if (!Save(form2, folder.filePath("version-window.png"))) return 1;

    form1.session().gMkname = "山田 太郎";
    kolumbra::shell::Form3 form3(&form1, form1.session(), prompts, form1.SettingsPath());
    return Save(form3, folder.filePath("settings-window.png")) ? 0 : 1;
}
