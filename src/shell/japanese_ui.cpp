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
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan), "qtbase", "_",
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
}

}  // namespace

void UseJapaneseUi(QApplication& app) {
    UseJapaneseFont(app);
    UseJapaneseQtTexts(app);
}

}  // namespace kolumbra::shell
