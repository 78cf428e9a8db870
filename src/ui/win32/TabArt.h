#pragma once
// The pictures of the main window drawn with GDI: the three tab icons, the
// decoration, and the gradient the tab headers use.

#include "ui/win32/Win32Ui.h"

namespace korvane::win32ui {

void FillColour(HDC dc, RECT r, COLORREF colour);
void FillVerticalGradient(HDC dc, RECT r, COLORREF top, COLORREF bottom);
// picture: the icon's index; its last digit picks one of three pictures.
void DrawTabIcon(HDC dc, RECT place, int index);
void DrawDecoration(HDC dc, RECT place);

}  // namespace korvane::win32ui
