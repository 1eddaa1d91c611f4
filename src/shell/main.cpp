// Kolumbra2000 and Kolumbra97: the main window and nothing else.

#include <QApplication>

#include "common/process_signals.h"
#include "shell/japanese_ui.h"
#include "shell/form1.h"
#include "shell/program_icon.h"
#include "shell/prompts.h"

int main(int argc, char** argv) {
    kolumbra::IgnoreFileSizeSignal();
    QApplication app(argc, argv);
    kolumbra::shell::UseJapaneseUi(app);
    app.setWindowIcon(kolumbra::shell::ProgramIcon());
    app.setDesktopFileName(QCoreApplication::applicationName().toLower());
    kolumbra::shell::DialogPrompts prompts;
    const auto engine = kolumbra::db::MakeDbEngine();
    kolumbra::shell::Form1 form1(prompts, *engine, QCoreApplication::applicationDirPath());
    form1.Form_Load();
    form1.show();
    return app.exec();
}
