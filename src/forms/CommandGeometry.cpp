#include "forms/CommandGeometry.h"

#include <algorithm>
#include <cmath>

namespace korvane::ui {

int TwipsToPixels(int twips) {
  return static_cast<int>(std::lround(static_cast<double>(twips) / kTwipsPerPixel));
}

int TwipsToPixelsAt(int twips, int logicalDpi) {
  constexpr double kTwipsPerInch = 1440.0;
  return static_cast<int>(std::lround(static_cast<double>(twips) * logicalDpi / kTwipsPerInch));
}

namespace {

// A slice given in twips; the source is clipped to the picture.
FrameSlice Slice(const char* name, int sx, int sy, int sw, int sh, int dx, int dy, int dw, int dh) {
  PixelRect source{TwipsToPixels(sx), TwipsToPixels(sy), TwipsToPixels(sw), TwipsToPixels(sh)};
  source.width = std::clamp(source.width, 0, kSkinWidth - source.x);
  source.height = std::clamp(source.height, 0, kSkinHeight - source.y);
  PixelRect destination{TwipsToPixels(dx), TwipsToPixels(dy), TwipsToPixels(dw), TwipsToPixels(dh)};
  if (dw == sw && dh == sh) {  // drawn unscaled: only what the picture has
    destination.width = source.width;
    destination.height = source.height;
  }
  return FrameSlice{name, source, destination};
}

}  // namespace

std::array<FrameSlice, 8> FrameSlices(int widthPx, int heightPx) {
  const int w = widthPx * kTwipsPerPixel;
  const int h = heightPx * kTwipsPerPixel;
  // Unscaled slices keep their source size; the bottom-right one is taller
  // than what is left of the control and is cut off by it.
  return {
      Slice("top-left", 0, 0, 60, 60, 1, 1, 60, 60),
      Slice("top", 60, 1, 840, 60, 60, 1, w - 120, 60),
      Slice("top-right", 900, 1, 60, 60, w - 60, 1, 60, 60),
      Slice("right", 900, 60, 60, 255, w - 60, 60, 60, h - 120),
      Slice("bottom-right", 900, 315, 60, 105, w - 60, h - 60, 60, 105),
      Slice("bottom", 60, 315, 840, 60, 60, h - 60, w - 120, 60),
      Slice("bottom-left", 0, 315, 60, 60, 1, h - 60, 60, 60),
      Slice("left", 1, 60, 60, 255, 1, 60, 60, h - 120),
  };
}

std::array<FocusLine, 4> FocusLines(int widthPx, int heightPx) {
  const int w = widthPx * kTwipsPerPixel;
  const int h = heightPx * kTwipsPerPixel;
  auto p = TwipsToPixels;
  return {
      FocusLine{p(60), p(60), p(60), p(h - 60)},
      FocusLine{p(60), p(60), p(w - 60), p(60)},
      FocusLine{p(w - 70), p(60), p(w - 70), p(h - 60)},
      FocusLine{p(60), p(h - 70), p(w - 60), p(h - 70)},
  };
}

int CaptionTop(int heightPx, int textHeight) {
  return static_cast<int>(std::nearbyint((heightPx - textHeight) / 2.0));
}

}  // namespace korvane::ui
