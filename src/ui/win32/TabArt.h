#pragma once
// The pictures of the windows: the three tab icons and the decoration, the
// Qt program's art carried as resources; and the gradient the tab headers use.

#include "ui/win32/Win32Ui.h"

namespace korvane::win32ui {

void FillColour(HDC dc, RECT r, COLORREF colour);
void FillVerticalGradient(HDC dc, RECT r, COLORREF top, COLORREF bottom);
// picture: the icon's index; its last digit picks one of three pictures.
void DrawTabIcon(HDC dc, RECT place, int index);
void DrawDecoration(HDC dc, RECT place);
// The report's progress window shows tab icon 1 on the given background.
void DrawProgressPicture(HDC dc, RECT place, COLORREF background);

}  // namespace korvane::win32ui
