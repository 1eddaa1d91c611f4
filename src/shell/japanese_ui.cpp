#include "shell/japanese_ui.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace kolumbra::shell {
namespace {

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

// Without the translation files (qt6-translations-l10n) Qt's texts stay in
// English; the program works the same.
void UseJapaneseQtTexts(QApplication& app) {
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    QLocale::setDefault(japanese);  // dates and sizes in the file dialog
    auto* translator = new QTranslator(&app);
    if (translator->load(japanese, "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
}

}  // namespace

void UseJapaneseUi(QApplication& app) {
    UseJapaneseFont(app);
    UseJapaneseQtTexts(app);
}

}  // namespace kolumbra::shell
