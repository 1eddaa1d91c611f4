#include "shell/enter_key.h"

#include <QKeyEvent>
#include <QPushButton>

namespace kolumbra::shell {
namespace {

class EnterClicksButton : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (!enter || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
        // A held key presses once: repeats queued during a long command
        // would run it again.
        if (!key->isAutoRepeat()) static_cast<QPushButton*>(watched)->click();
        return true;
    }
};

}  // namespace

void EnterPressesFocusedButton(QWidget* window) {
    auto* filter = new EnterClicksButton(window);
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        // An auto-default button would make itself the dialog's default,
        // pressed by Enter in a text box.
        button->setAutoDefault(false);
        button->installEventFilter(filter);
    }
}

}  // namespace kolumbra::shell
