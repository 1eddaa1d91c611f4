#pragma once
// The version window: product, version, maker and contact note.

#include <QDialog>

namespace kolumbra::shell {

class Form2 : public QDialog {
    Q_OBJECT
public:
    explicit Form2(QWidget* parent);
};

}  // namespace kolumbra::shell
