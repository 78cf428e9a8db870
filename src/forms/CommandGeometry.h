#pragma once
// Where the Command button draws its frame slices and focus lines. The skin
// pictures are 64 x 25 pixels of which only the outer 4 pixels are drawn; the
// layout is worked out in twips (15 per pixel) and converted to pixels.

#include <array>

namespace korvane::ui {

inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kSkinWidth = 64;
inline constexpr int kSkinHeight = 25;
inline constexpr int kSkinBorder = 4;

// Twips to whole pixels, to the nearest pixel, on the standard display.
int TwipsToPixels(int twips);
// The same on a display of logicalDpi pixels per inch (1440 twips to the inch),
// so that lengths grow with the fonts when the display's resolution is raised.
int TwipsToPixelsAt(int twips, int logicalDpi);

struct PixelRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

struct FrameSlice {
  const char* name;
  PixelRect source;       // in the skin picture (clipped to it)
  PixelRect destination;  // in the control
};

struct FocusLine {
  int x1, y1, x2, y2;  // end point excluded, as a GDI line
};

// The eight frame slices for a control of widthPx x heightPx pixels, in the
// order top-left, top, top-right, right, bottom-right, bottom, bottom-left, left.
std::array<FrameSlice, 8> FrameSlices(int widthPx, int heightPx);

// The four focus lines: left, top, right, bottom.
std::array<FocusLine, 4> FocusLines(int widthPx, int heightPx);

// The top of a caption of textHeight pixels centred in heightPx, halves to even.
int CaptionTop(int heightPx, int textHeight);

}  // namespace korvane::ui
