#include "forms/CommandSkinColours.h"

namespace korvane::ui {

SkinColours ColoursOf(CommandSkin skin) {
  constexpr std::uint32_t beige = 0xDCD6C2, blue = 0x003C74, white = 0xF3F3EE;
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
  constexpr std::uint32_t outer = 0xECE9D8, grey = 0xC9C7BA, light = 0xF5F4EA;
  return {{outer, grey, light, light}, {outer, grey, light, light}, {outer, grey, light, light}, light};
}

}  // namespace korvane::ui
