#include "ui/win32/GridList.h"

#include <optional>

namespace korvane::win32ui {

namespace {
constexpr int kDefaultColumnWidth = 64;  // pixels, for a column the model never sized
}

GridList::GridList(FlexGrid& grid, HWND parent, int id, RECT place) : grid_(grid) {
  window_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL |
                                LVS_SHOWSELALWAYS,
                            place.left, place.top, place.right - place.left, place.bottom - place.top, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(GridFont()), FALSE);
  SendMessageW(window_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  for (int col = 0; col < 2; ++col) {
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH | LVCF_FMT;
    column.fmt = LVCFMT_LEFT;
    column.cx = kDefaultColumnWidth;
    SendMessageW(window_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(col), reinterpret_cast<LPARAM>(&column));
  }
  grid_.SetObserver(this);
  Reload();
}

GridList::~GridList() { grid_.SetObserver(nullptr); }

void GridList::Reload() {
  SendMessageW(window_, WM_SETREDRAW, FALSE, 0);
  SendMessageW(window_, LVM_DELETEALLITEMS, 0, 0);
  for (int row = 0; row < grid_.Rows(); ++row) {
    for (int col = 0; col < 2 && col < grid_.Cols(); ++col) {
      std::wstring text = Wide(grid_.Cell(row, col).text);
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = row;
      item.iSubItem = col;
      item.pszText = text.data();
      SendMessageW(window_, col == 0 ? LVM_INSERTITEMW : LVM_SETITEMTEXTW, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&item));
    }
  }
  for (int col = 0; col < 2; ++col) {
    const int twips = grid_.ColWidth(col);
    SendMessageW(window_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(col),
                 MAKELPARAM(twips >= 0 ? Px(twips) : kDefaultColumnWidth, 0));
  }
  SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(window_, nullptr, TRUE);
}

namespace {

constexpr OleColor kSystemColourFlag = 0x80000000u;
constexpr OleColor kSystemColourIndex = 0xFFu;

// A cell's colour on this screen: system colours (the desktop's among them)
// as the system has them now; unset, the list's own colour.
COLORREF ScreenColour(OleColor colour, int unset) {
  if (colour == kColorDefault) return GetSysColor(unset);
  if ((colour & kSystemColourFlag) != 0) return GetSysColor(static_cast<int>(colour & kSystemColourIndex));
  const std::optional<std::uint32_t> rgb = ScreenRgb(colour);
  return rgb ? FromRgb(*rgb) : GetSysColor(unset);
}

}  // namespace

LRESULT GridList::CustomDraw(NMLVCUSTOMDRAW* draw) const {
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
      return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
      const FlexCell& cell = grid_.Cell(static_cast<int>(draw->nmcd.dwItemSpec), draw->iSubItem);
      draw->clrTextBk = ScreenColour(cell.backColor, COLOR_WINDOW);
      draw->clrText = ScreenColour(cell.foreColor, COLOR_WINDOWTEXT);
      return CDRF_NEWFONT;
    }
    default:
      return CDRF_DODEFAULT;
  }
}

bool GridList::CellAt(POINT clientPoint, int& row, int& col) const {
  LVHITTESTINFO hit{};
  hit.pt = clientPoint;
  if (SendMessageW(window_, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)) < 0 || hit.iItem < 0) {
    return false;
  }
  row = hit.iItem;
  col = hit.iSubItem;
  return true;
}

}  // namespace korvane::win32ui
