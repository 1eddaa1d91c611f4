#pragma once
// The program speaks Japanese throughout: the first Japanese UI font the
// system has, so every caption renders, and Qt's own texts (file dialogs,
// standard buttons, context menus) in Japanese too.

class QApplication;

namespace kolumbra::shell {

void UseJapaneseUi(QApplication& app);

}  // namespace kolumbra::shell
