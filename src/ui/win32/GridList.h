#pragma once
// A result grid on screen: a report-style list view without column titles
// that follows its FlexGrid model, once per batch of changes, and colours each
// row from the model's cells (headers and messages in reversed colours).

#include "inspection/FlexGrid.h"
#include "ui/win32/Win32Ui.h"

namespace korvane::win32ui {

class GridList final : private FlexGridObserver {
 public:
  GridList(FlexGrid& grid, HWND parent, int id, RECT place);
  ~GridList();
  GridList(const GridList&) = delete;
  GridList& operator=(const GridList&) = delete;

  HWND Window() const { return window_; }
  // The parent's WM_NOTIFY from this list: custom drawing; a double click
  // gives the row and column under the pointer (false when none).
  LRESULT CustomDraw(NMLVCUSTOMDRAW* draw) const;
  bool CellAt(POINT clientPoint, int& row, int& col) const;
  // Re-reads the whole model.
  void Reload();

 private:
  void GridChanging() override {}
  void GridChanged() override { Reload(); }

  FlexGrid& grid_;
  HWND window_ = nullptr;
};

}  // namespace korvane::win32ui
