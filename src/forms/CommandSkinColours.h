#pragma once
// The colours of the Command button's six skin pictures, by ring of the
// 4-pixel frame (0 = outermost) and edge, as 0xRRGGBB. Each toolkit draws the
// pictures from these.

#include <array>
#include <cstdint>

#include "forms/CommandCore.h"

namespace korvane::ui {

struct SkinColours {
  std::array<std::uint32_t, 4> top;
  std::array<std::uint32_t, 4> side;
  std::array<std::uint32_t, 4> bottom;
  std::uint32_t inside;
};

SkinColours ColoursOf(CommandSkin skin);

}  // namespace korvane::ui
