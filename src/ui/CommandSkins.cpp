#include "ui/CommandSkins.h"

#include <algorithm>
#include <array>

#include "ui/CommandGeometry.h"

namespace korvane::ui {

QColor ColorFromBgr(std::uint32_t bgr) {
  return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                static_cast<int>((bgr >> 16) & 0xFF));
}

namespace {

enum class Edge { Top, Side, Bottom };

// Colours of one picture, RGB, by ring (0 = outermost) and edge.
struct SkinColours {
  std::array<QRgb, 4> top;
  std::array<QRgb, 4> side;
  std::array<QRgb, 4> bottom;
  QRgb inside;
};

SkinColours ColoursOf(CommandSkin skin) {
  constexpr QRgb beige = 0xDCD6C2, blue = 0x003C74, white = 0xF3F3EE;
  switch (skin) {
    case CommandSkin::Normal:
      return {{beige, blue, white, white}, {beige, blue, white, white},
              {beige, blue, 0xD6D0C5, 0xE2DFD6}, white};
    case CommandSkin::HighLight:
      return {{beige, blue, 0xFFF0CF, 0xFDD889}, {beige, blue, 0xFCCA69, 0xFCCA69},
              {beige, blue, 0xF8B330, 0xE59700}, white};
    case CommandSkin::Pressed:
      return {{beige, blue, 0xD1CCC1, 0xDCD8CF}, {beige, blue, 0xE2E1D9, 0xE2E1D9},
              {beige, blue, 0xE2E1D9, 0xE2E1D9}, 0xE2E1D9};
    case CommandSkin::Selected:
      return {{blue, 0xCEE7FF, 0xCEE7FF, white}, {blue, 0xA9C5EF, 0xA9C5EF, white},
              {blue, 0x6982EE, 0x6982EE, white}, white};
    case CommandSkin::HighLightSelect:
      return {{blue, 0xFFF0CF, 0xFFF0CF, white}, {blue, 0xFDD889, 0xFDD889, white},
              {blue, 0xE59700, 0xE59700, white}, white};
    case CommandSkin::Disable:
      break;
  }
  constexpr QRgb outer = 0xECE9D8, grey = 0xC9C7BA, light = 0xF5F4EA;
  return {{outer, grey, light, light}, {outer, grey, light, light}, {outer, grey, light, light}, light};
}

QRgb Blend(QRgb a, QRgb b) {
  return qRgb((qRed(a) + qRed(b)) / 2, (qGreen(a) + qGreen(b)) / 2, (qBlue(a) + qBlue(b)) / 2);
}

QImage DrawSkin(CommandSkin skin) {
  const SkinColours colours = ColoursOf(skin);
  QImage image(kSkinWidth, kSkinHeight, QImage::Format_RGB32);
  const int right = kSkinWidth - 1;
  const int bottom = kSkinHeight - 1;
  for (int y = 0; y <= bottom; ++y) {
    for (int x = 0; x <= right; ++x) {
      const int fromTop = y, fromBottom = bottom - y;
      const int fromSide = std::min(x, right - x);
      const int ring = std::min({fromTop, fromBottom, fromSide});
      QRgb colour = colours.inside;
      if (ring < kSkinBorder) {
        // Horizontal edges take the corners.
        Edge edge = fromTop == ring ? Edge::Top : fromBottom == ring ? Edge::Bottom : Edge::Side;
        const auto& byRing = edge == Edge::Top ? colours.top
                             : edge == Edge::Bottom ? colours.bottom : colours.side;
        colour = byRing[static_cast<std::size_t>(ring)];
        // Soften the corner of the line one pixel in.
        if (ring == 1 && fromSide == 1 && (fromTop == 1 || fromBottom == 1)) {
          colour = Blend(colour, byRing[0]);
        }
      }
      image.setPixel(x, y, 0xFF000000u | colour);
    }
  }
  return image;
}

}  // namespace

const QImage& SkinImage(CommandSkin skin) {
  static const std::array<QImage, 6> images = {
      DrawSkin(CommandSkin::Disable),  DrawSkin(CommandSkin::Normal),
      DrawSkin(CommandSkin::HighLight), DrawSkin(CommandSkin::Selected),
      DrawSkin(CommandSkin::HighLightSelect), DrawSkin(CommandSkin::Pressed)};
  return images[static_cast<std::size_t>(skin)];
}

}  // namespace korvane::ui
