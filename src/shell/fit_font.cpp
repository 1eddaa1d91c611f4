#include "shell/fit_font.h"

#include <QFontMetrics>
#include <QLabel>

namespace kolumbra::shell {
namespace {

int WidestLine(const QFont& font, const QString& text) {
    const QFontMetrics metrics(font);
    int widest = 0;
    for (const QString& line : text.split('\n')) widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest;
}

}  // namespace

void ShrinkToFit(QLabel* label, int width) {
    QFont font = label->font();
    while (WidestLine(font, label->text()) > width && font.pointSizeF() > 6)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    label->setFont(font);
}

}  // namespace kolumbra::shell
