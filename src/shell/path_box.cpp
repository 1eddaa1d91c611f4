#include "shell/path_box.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

namespace kolumbra::shell {
namespace {

bool CarriesLocalFile(const QMimeData* data) {
    return data != nullptr && data->hasUrls() && !data->urls().isEmpty() && data->urls().first().isLocalFile();
}

}  // namespace

void PathBox::dragEnterEvent(QDragEnterEvent* event) {
    if (CarriesLocalFile(event->mimeData())) event->acceptProposedAction();
    else event->ignore();
}

void PathBox::dragMoveEvent(QDragMoveEvent* event) {
    if (CarriesLocalFile(event->mimeData())) event->acceptProposedAction();
    else event->ignore();
}

void PathBox::dropEvent(QDropEvent* event) {
    if (!CarriesLocalFile(event->mimeData())) {
        event->ignore();
        return;
    }
    setText(event->mimeData()->urls().first().toLocalFile());
    event->acceptProposedAction();
}

}  // namespace kolumbra::shell
