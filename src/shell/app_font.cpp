#include "shell/app_font.h"

#include <QApplication>
#include <QFontDatabase>

namespace kolumbra::shell {

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

}  // namespace kolumbra::shell
