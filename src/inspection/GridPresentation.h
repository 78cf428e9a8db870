#pragma once
// What a result-grid row means, and how each kind of row looks. Every view of
// the grid (the Qt table, the Windows list, korvane-cli's printout) and the
// grid wrapper that fills it take the colours and widths from here.

#include <cstdint>
#include <optional>

namespace korvane {

// Colours as 0x00BBGGRR, or 0x80000000 + index for a system colour.
using OleColor = std::uint32_t;
inline constexpr OleColor kColorDefault = 0xFFFFFFFFu;  // "not set": the grid's normal colour

inline constexpr OleColor kDesktopColor = 0x80000001u;  // system colour 1
inline constexpr OleColor kHeaderOrange = 0x001B9CFCu;  // red 252, green 156, blue 27
inline constexpr OleColor kWhite = 0x00FFFFFFu;

enum class GridRowKind {
  Item,     // a caption and its value
  Header,   // a section title, in reversed colours
  Message,  // one text across the whole grid, standing alone
};

struct GridRowLook {
  OleColor back = kColorDefault;  // kColorDefault: the grid's own colours
  OleColor fore = kColorDefault;
  int captionWidth = 0;  // twips of column 0
  int textWidth = 0;     // twips of column 1; 0 leaves the column as it is
};

// The look of a row of the given kind. Headers alternate between two
// backgrounds: alternate is false for the first header after a clear.
GridRowLook RowLook(GridRowKind kind, bool alternate);

// A colour as 0xRRGGBB on a screen. The desktop colour, which not every
// platform has, is the classic Windows desktop blue; other system colours have
// no fixed value and give nothing (the view uses its own). The Windows view
// asks the system for every system colour, the desktop's included.
std::optional<std::uint32_t> ScreenRgb(OleColor colour);
inline constexpr std::uint32_t kDesktopRgb = 0x3A6EA5;

// Short name of a kind, for printouts and tests.
const char* KindName(GridRowKind kind);

}  // namespace korvane
