#include "ui/win32/TabArt.h"

#include <algorithm>

namespace korvane::win32ui {

namespace {

constexpr COLORREF kActive = RGB(0xFB, 0xFD, 0xFB);
constexpr COLORREF kInactiveTop = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kInactiveBottom = RGB(0xF0, 0xF0, 0xEA);  // 0x00EAF0F0 as blue-green-red
constexpr COLORREF kBorder = RGB(0x91, 0x9C, 0x9B);          // 0x009B9C91

void Fill(HDC dc, RECT r, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

void VerticalGradient(HDC dc, RECT r, COLORREF top, COLORREF bottom) {
  const int height = r.bottom - r.top;
  for (int y = 0; y < height; ++y) {
    auto mix = [&](int a, int b) { return a + (b - a) * y / (height > 1 ? height - 1 : 1); };
    Fill(dc, RECT{r.left, r.top + y, r.right, r.top + y + 1},
         RGB(mix(GetRValue(top), GetRValue(bottom)), mix(GetGValue(top), GetGValue(bottom)),
             mix(GetBValue(top), GetBValue(bottom))));
  }
}

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

void DrawTabHeader(const DRAWITEMSTRUCT& item, const char* caption, int textLeft) {
  const bool active = (item.itemState & ODS_SELECTED) != 0;
  RECT r = item.rcItem;
  if (active) {
    Fill(item.hDC, r, kActive);
  } else {
    VerticalGradient(item.hDC, r, kInactiveTop, kInactiveBottom);
  }
  HBRUSH border = CreateSolidBrush(kBorder);
  FrameRect(item.hDC, &r, border);
  DeleteObject(border);
  // The caption's leading blanks keep room for the tab icon at the left; the
  // text is wrapped in the room that is left and centred vertically.
  std::wstring text = Wide(caption);
  text.erase(0, text.find_first_not_of(L' '));
  RECT room{std::max<LONG>(r.left + 4, textLeft), r.top, r.right - 4, r.bottom};
  HGDIOBJ oldFont = SelectObject(item.hDC, ButtonFont());
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, RGB(0, 0, 0));
  RECT measure = room;
  DrawTextW(item.hDC, text.c_str(), -1, &measure, DT_LEFT | DT_WORDBREAK | DT_CALCRECT);
  room.top += ((room.bottom - room.top) - (measure.bottom - measure.top)) / 2;
  DrawTextW(item.hDC, text.c_str(), -1, &room, DT_LEFT | DT_WORDBREAK);
  SelectObject(item.hDC, oldFont);
}

void DrawTabIcon(HDC dc, RECT place, int index) {
  const int picture = index % 10;
  Fill(dc, place, kActive);
  const int w = place.right - place.left, h = place.bottom - place.top;
  const RECT inner{place.left + w / 8, place.top + h / 8, place.right - w / 8, place.bottom - h / 8};
  switch (picture) {
    case 1:  // one component: a blue disc
      Ellipse(dc, inner, RGB(0x3A, 0x6E, 0xA5), RGB(0x00, 0x3C, 0x74));
      break;
    case 2: {  // two files side by side
      Fill(dc, RECT{inner.left, inner.top, inner.left + w / 2, inner.bottom}, RGB(0xFC, 0x9C, 0x1B));
      Fill(dc, RECT{inner.right - w / 2, inner.top + h / 6, inner.right, inner.bottom}, RGB(0x3A, 0x6E, 0xA5));
      break;
    }
    default:  // options: a green disc
      Ellipse(dc, inner, RGB(0x4C, 0xA0, 0x4C), RGB(0x20, 0x60, 0x20));
      break;
  }
}

void DrawDecoration(HDC dc, RECT place) {
  VerticalGradient(dc, place, RGB(0x3A, 0x6E, 0xA5), RGB(0x00, 0x3C, 0x74));
  HGDIOBJ oldFont = SelectObject(dc, ButtonFont());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
  DrawTextW(dc, L"Korvane", -1, &place, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, oldFont);
}

}  // namespace korvane::win32ui
