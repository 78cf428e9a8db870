#include "ui/win32/TabArt.h"

#include "forms/TabStrip.h"

namespace korvane::win32ui {

namespace {

void Ellipse(HDC dc, RECT r, COLORREF fill, COLORREF edge) {
  HBRUSH brush = CreateSolidBrush(fill);
  HPEN pen = CreatePen(PS_SOLID, 1, edge);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  ::Ellipse(dc, r.left, r.top, r.right, r.bottom);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(brush);
  DeleteObject(pen);
}

}  // namespace

void FillColour(HDC dc, RECT r, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

void FillVerticalGradient(HDC dc, RECT r, COLORREF top, COLORREF bottom) {
  const int height = r.bottom - r.top;
  for (int y = 0; y < height; ++y) {
    auto mix = [&](int a, int b) { return a + (b - a) * y / (height > 1 ? height - 1 : 1); };
    FillColour(dc, RECT{r.left, r.top + y, r.right, r.top + y + 1},
               RGB(mix(GetRValue(top), GetRValue(bottom)), mix(GetGValue(top), GetGValue(bottom)),
                   mix(GetBValue(top), GetBValue(bottom))));
  }
}

void DrawTabIcon(HDC dc, RECT place, int index) {
  const int picture = index % 10;
  FillColour(dc, place, Gdi(forms::kTabActiveColour));
  const int w = place.right - place.left, h = place.bottom - place.top;
  const RECT inner{place.left + w / 8, place.top + h / 8, place.right - w / 8, place.bottom - h / 8};
  switch (picture) {
    case 1:  // one component: a blue disc
      Ellipse(dc, inner, RGB(0x3A, 0x6E, 0xA5), RGB(0x00, 0x3C, 0x74));
      break;
    case 2: {  // two files side by side
      FillColour(dc, RECT{inner.left, inner.top, inner.left + w / 2, inner.bottom}, RGB(0xFC, 0x9C, 0x1B));
      FillColour(dc, RECT{inner.right - w / 2, inner.top + h / 6, inner.right, inner.bottom}, RGB(0x3A, 0x6E, 0xA5));
      break;
    }
    default:  // options: a green disc
      Ellipse(dc, inner, RGB(0x4C, 0xA0, 0x4C), RGB(0x20, 0x60, 0x20));
      break;
  }
}

void DrawDecoration(HDC dc, RECT place) {
  FillVerticalGradient(dc, place, RGB(0x3A, 0x6E, 0xA5), RGB(0x00, 0x3C, 0x74));
  HGDIOBJ oldFont = SelectObject(dc, ButtonFont());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
  DrawTextW(dc, L"Korvane", -1, &place, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, oldFont);
}

}  // namespace korvane::win32ui
