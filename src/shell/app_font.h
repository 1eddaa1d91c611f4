#pragma once
// The program's font: the first Japanese UI font the system has, so every
// caption renders.

class QApplication;

namespace kolumbra::shell {

void UseJapaneseFont(QApplication& app);

}  // namespace kolumbra::shell
