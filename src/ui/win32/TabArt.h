#pragma once
// The pictures of the main window drawn with GDI: the tab headers (active,
// inactive gradient, border), the three tab icons and the decoration.

#include "ui/win32/Win32Ui.h"

namespace korvane::win32ui {

// textLeft: where the caption starts, right of the tab's icon (pixels on the tab control).
void DrawTabHeader(const DRAWITEMSTRUCT& item, const char* caption, int textLeft);
// picture: the icon's index; its last digit picks one of three pictures.
void DrawTabIcon(HDC dc, RECT place, int index);
void DrawDecoration(HDC dc, RECT place);

}  // namespace korvane::win32ui
