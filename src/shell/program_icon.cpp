#include "shell/program_icon.h"

#include <QPainter>
#include <QSvgRenderer>

namespace kolumbra::shell {

QPixmap ProgramIconPixmap(int pixels) {
    QSvgRenderer renderer(QStringLiteral(":/kolumbra.svg"));
    QPixmap pixmap(pixels, pixels);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128}) icon.addPixmap(ProgramIconPixmap(size));
    return icon;
}

}  // namespace kolumbra::shell
