#include "inspection/GridPresentation.h"

namespace korvane {

namespace {
constexpr int kCaptionWidth = 2000;
constexpr int kTextWidth = 4200;
constexpr int kMessageWidth = 20000;  // wide enough to push the value column out of view
constexpr OleColor kSystemColourFlag = 0x80000000u;
}  // namespace

GridRowLook RowLook(GridRowKind kind, bool alternate) {
  switch (kind) {
    case GridRowKind::Header:
      return {alternate ? kHeaderOrange : kDesktopColor, kWhite, kCaptionWidth, kTextWidth};
    case GridRowKind::Message:
      return {kDesktopColor, kWhite, kMessageWidth, 0};
    case GridRowKind::Item:
      break;
  }
  return {kColorDefault, kColorDefault, kCaptionWidth, kTextWidth};
}

std::optional<std::uint32_t> ScreenRgb(OleColor colour) {
  if (colour == kDesktopColor) return kDesktopRgb;
  if (colour == kColorDefault || (colour & kSystemColourFlag) != 0) return std::nullopt;
  return ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
}

const char* KindName(GridRowKind kind) {
  switch (kind) {
    case GridRowKind::Header: return "header";
    case GridRowKind::Message: return "message";
    case GridRowKind::Item: break;
  }
  return "item";
}

}  // namespace korvane
