#pragma once
// Enter and keypad Enter press the button that has the focus, in every
// window, as Space does. No button is pressed by Enter from elsewhere: the
// windows have no default button.

class QWidget;

namespace kolumbra::shell {

// For every push button inside `window`, created before the call.
void EnterPressesFocusedButton(QWidget* window);

}  // namespace kolumbra::shell
