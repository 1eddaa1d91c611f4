#pragma once
// A frame around a group of controls, drawn as the windows were designed:
// an etched border whose top line runs through the middle of the caption.
// Qt's styles draw the caption above the border instead, which puts the
// border under controls placed for the designed look.

#include <QGroupBox>

namespace kolumbra::shell {

class Frame : public QGroupBox {
    Q_OBJECT
public:
    Frame(const QString& caption, QWidget* parent) : QGroupBox(caption, parent) {}

    // The border in the frame's coordinates; its top line is at the middle of
    // the caption. Controls inside keep clear of it.
    QRect Border() const;
    // Where the caption is drawn, over the border's top line.
    QRect CaptionRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace kolumbra::shell
