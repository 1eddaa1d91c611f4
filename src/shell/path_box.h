#pragma once
// A path box that takes the first dropped file's local path. A drop that
// carries no file leaves the box as it was.

#include <QLineEdit>

namespace kolumbra::shell {

class PathBox : public QLineEdit {
    Q_OBJECT
public:
    explicit PathBox(QWidget* parent) : QLineEdit(parent) { setAcceptDrops(true); }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

}  // namespace kolumbra::shell
