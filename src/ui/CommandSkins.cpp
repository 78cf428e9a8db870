#include "ui/CommandSkins.h"

#include <algorithm>
#include <array>

#include "forms/CommandGeometry.h"
#include "forms/CommandSkinColours.h"

namespace korvane::ui {

QColor ColorFromBgr(std::uint32_t bgr) {
  return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                static_cast<int>((bgr >> 16) & 0xFF));
}

namespace {

enum class Edge { Top, Side, Bottom };

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
