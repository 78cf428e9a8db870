#include "ui/win32/TabArt.h"

#include <map>

#include "forms/MainLayout.h"
#include "forms/TabStrip.h"
#include "ui/win32/ArtResources.h"

namespace korvane::win32ui {

namespace {

constexpr BYTE kOpaque = 255;

// A picture from the program's resources, loaded once for the program's life.
HBITMAP Art(int id) {
  static std::map<int, GdiObject> loaded;
  auto found = loaded.find(id);
  if (found == loaded.end()) {
    HANDLE image = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0,
                              LR_CREATEDIBSECTION);
    found = loaded.try_emplace(id, image).first;
  }
  return static_cast<HBITMAP>(found->second.get());
}

// Draws the picture centred in place over what is there, through its alpha.
void DrawArt(HDC dc, int id, RECT place) {
  HBITMAP picture = Art(id);
  BITMAP size{};
  if (picture == nullptr || GetObjectW(picture, sizeof size, &size) == 0) return;
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(source, picture);
  const int left = place.left + (place.right - place.left - size.bmWidth) / 2;
  const int top = place.top + (place.bottom - place.top - size.bmHeight) / 2;
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, kOpaque, AC_SRC_ALPHA};
  AlphaBlend(dc, left, top, size.bmWidth, size.bmHeight, source, 0, 0, size.bmWidth, size.bmHeight, blend);
  SelectObject(source, old);
  DeleteDC(source);
}

int TabIconArt(int picture) {
  switch (picture) {
    case 1: return KORVANE_ART_TAB_ICON_1;
    case 2: return KORVANE_ART_TAB_ICON_2;
    default: return KORVANE_ART_TAB_ICON_3;
  }
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
  FillColour(dc, place, Gdi(forms::kTabActiveColour));
  DrawArt(dc, TabIconArt(index % 10), place);
}

void DrawDecoration(HDC dc, RECT place) {
  // The window's colour shows around the card's rounded corners.
  FillColour(dc, place, Gdi(forms::kWindowColour));
  DrawArt(dc, KORVANE_ART_DECORATION, place);
}

void DrawProgressPicture(HDC dc, RECT place, COLORREF background) {
  FillColour(dc, place, background);
  DrawArt(dc, KORVANE_ART_TAB_ICON_1, place);
}

}  // namespace korvane::win32ui
