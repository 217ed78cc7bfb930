#pragma once
// The program's icon, a honey bee, drawn in code so the window, the desktop entry and the
// installed PNG all come from one picture.

#include <QIcon>
#include <QImage>

namespace app {

// The bee at `size` x `size` pixels, reduced to a palette of at most 256 colours.
QImage BeeImage(int size = 64);

QIcon BeeIcon();

}  // namespace app
