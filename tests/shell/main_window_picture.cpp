// Draws the README's picture of the main window: the real window after
// reading a database, with the first two tables selected, saved as PNG.
// Usage: main_window_picture DATABASE OUT.png (run on a real display
// platform, for example under xvfb-run).

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <cstdio>

#include "shell/app_font.h"
#include "shell/form1.h"
#include "shell/prompts.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s DATABASE OUT.png\n", argv[0]);
        return 2;
    }
    kolumbra::shell::UseJapaneseFont(app);
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
    QApplication::processEvents();
    if (!form1.grab().save(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    return 0;
}
