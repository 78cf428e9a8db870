#pragma once
// The fonts the windows are laid out with. Tahoma and MS Sans Serif are taken
// from the system when it has them, else from Wine's font folder, else a
// similar sans-serif stands in.

#include <QFont>

namespace korvane::ui {

// Tahoma 8.25 pt, regular: the result grids.
QFont GridFont();
// MS Sans Serif 8.25 pt, regular: buttons, labels and tab captions. On a
// display at another resolution than 96 dpi, where that bitmap font cannot be
// scaled, the scalable Tahoma stands in.
QFont ButtonFont();

}  // namespace korvane::ui
