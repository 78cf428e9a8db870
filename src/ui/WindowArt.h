#pragma once
// The main window's pictures, drawn once: the three tab icons (47 x 44) and
// the decoration of the third tab (184 x 87).

#include <QPixmap>

namespace korvane::ui {

// 1: one file and a magnifier; 2: two files side by side; 3: a question mark.
QPixmap TabIconPixmap(int which);
QPixmap DecorationPixmap();

}  // namespace korvane::ui
