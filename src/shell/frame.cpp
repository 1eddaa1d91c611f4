#include "shell/frame.h"

#include <QPainter>
#include <QStyle>
#include <qdrawutil.h>

namespace kolumbra::shell {
namespace {

constexpr int CaptionIndent = 6;  // from the frame's left edge
constexpr int CaptionPadding = 2;  // clear of the line on either side

}  // namespace

QRect Frame::Border() const { return rect().adjusted(0, fontMetrics().height() / 2, 0, 0); }

QRect Frame::CaptionRect() const {
    const QFontMetrics metrics = fontMetrics();
    return QRect(CaptionIndent, 0, metrics.horizontalAdvance(title()) + 2 * CaptionPadding, metrics.height());
}

void Frame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // A sunken shade rectangle one pixel wide: the etched dark and light lines.
    qDrawShadeRect(&painter, Border(), palette(), true, 1, 0);
    const QRect caption = CaptionRect();
    painter.fillRect(caption, palette().window());
    style()->drawItemText(&painter, caption, Qt::AlignCenter, palette(), isEnabled(), title(), QPalette::WindowText);
}

}  // namespace kolumbra::shell
