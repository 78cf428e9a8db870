#pragma once
// The main window's pictures, drawn once: the three tab icons (47 x 44) and
// the decoration of the third tab (184 x 87).

#include <QPainter>
#include <QPixmap>

namespace korvane::ui {

// 1: one file and a magnifier; 2: two files side by side; 3: a question mark.
QPixmap TabIconPixmap(int which);
// Draws tab icon `which` into a painter set up for its 47 x 44 units; the
// program's icon (1) is rendered at other sizes from this too.
void PaintTabIcon(QPainter& p, int which);
QPixmap DecorationPixmap();

}  // namespace korvane::ui
