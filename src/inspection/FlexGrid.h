#pragma once
// The result grid's model: rows and columns of cells with text, colours,
// per-column width and alignment, and a current cell. The Qt view renders it;
// the core and the tests use it without a display.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace korvane {

// Colours as 0x00BBGGRR, or 0x80000000 + index for a system colour.
using OleColor = std::uint32_t;
inline constexpr OleColor kColorDefault = 0xFFFFFFFFu;  // "not set": the grid's normal colour

struct FlexCell {
  std::string text;
  OleColor backColor = kColorDefault;
  OleColor foreColor = kColorDefault;
};

class FlexGrid {
 public:
  // Row and column counts (write grows or shrinks, keeping what fits).
  int Rows() const { return static_cast<int>(cells_.size()); }
  void SetRows(int rows);
  int Cols() const { return cols_; }
  void SetCols(int cols);
  // Current cell.
  int Row() const { return row_; }
  void SetRow(int row);
  int Col() const { return col_; }
  void SetCol(int col);
  // The current cell's text and colours.
  std::string Text() const;
  void SetText(const std::string& text);
  void SetCellBackColor(OleColor color);
  void SetCellForeColor(OleColor color);
  // Per-column width (twips) and alignment (1 = left, vertically centred).
  int ColWidth(int col) const;
  void SetColWidth(int col, int twips);
  int ColAlignment(int col) const;
  void SetColAlignment(int col, int alignment);
  // Empties every cell's text (and colours); keeps the row and column counts.
  void Clear();

  // Reading any cell (for views and tests); an empty cell outside the grid.
  const FlexCell& Cell(int row, int col) const;

  // Called after every change, so that a view can repaint.
  void SetChangedCallback(std::function<void()> callback) { changed_ = std::move(callback); }

 private:
  void Changed() {
    if (changed_) changed_();
  }

  std::vector<std::vector<FlexCell>> cells_;
  std::vector<int> colWidths_;
  std::vector<int> colAlignments_;
  int cols_ = 2;
  int row_ = 0;
  int col_ = 0;
  std::function<void()> changed_;
};

}  // namespace korvane
