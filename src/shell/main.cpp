// Kolumbra2000 and Kolumbra97: the main window and nothing else.

#include <QApplication>
#include <QFontDatabase>

#include "shell/form1.h"
#include "shell/prompts.h"

namespace {

// The first Japanese UI font the system has, so every caption renders.
void UseJapaneseFont(QApplication& app) {
    const QStringList families = QFontDatabase::families(QFontDatabase::Japanese);
    for (const char* preferred : {"IPAPGothic", "IPAGothic", "Noto Sans CJK JP"}) {
        if (families.contains(preferred)) {
            QFont font(preferred);
            font.setPointSize(9);
            app.setFont(font);
            return;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    UseJapaneseFont(app);
    kolumbra::shell::DialogPrompts prompts;
    const auto engine = kolumbra::db::MakeDbEngine();
    kolumbra::shell::Form1 form1(prompts, *engine, QCoreApplication::applicationDirPath());
    form1.Form_Load();
    form1.show();
    return app.exec();
}
