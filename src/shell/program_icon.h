#pragma once
// The program's own icon, the one its desktop entries name.

#include <QIcon>
#include <QPixmap>

namespace kolumbra::shell {

// The icon drawn square at `pixels`.
QPixmap ProgramIconPixmap(int pixels);

// The icon at the sizes window managers ask for.
QIcon ProgramIcon();

}  // namespace kolumbra::shell
