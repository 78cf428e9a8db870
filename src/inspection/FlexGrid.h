#pragma once
// The result grid's model: rows and columns of cells with text, colours,
// per-column width and alignment, a kind per row, and a current cell. The
// views render it; the core and the tests use it without a display.
//
// A view learns of changes through an observer, once per batch: the first
// change inside a batch announces it (GridChanging), the end of the outermost
// batch reports it (GridChanged). A change outside any batch is a batch of its
// own.

#include <string>
#include <vector>

#include "inspection/GridPresentation.h"

namespace korvane {

class FlexGridObserver {
 public:
  virtual void GridChanging() = 0;  // before the first change of a batch
  virtual void GridChanged() = 0;   // after the batch, when it changed anything

 protected:
  ~FlexGridObserver() = default;
};

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

  // What a row means (rows start as items).
  GridRowKind RowKind(int row) const;
  void SetRowKind(int row, GridRowKind kind);

  // Reading any cell (for views and tests); an empty cell outside the grid.
  const FlexCell& Cell(int row, int col) const;

  // The one view told of changes; nullptr for none.
  void SetObserver(FlexGridObserver* observer) { observer_ = observer; }

  // Groups changes so that the view hears of them once.
  class Batch {
   public:
    explicit Batch(FlexGrid& grid) : grid_(grid) { ++grid_.batchDepth_; }
    ~Batch() { grid_.EndBatch(); }
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

   private:
    FlexGrid& grid_;
  };

 private:
  // Runs one checked change inside a batch of its own.
  template <typename Change>
  void Mutate(Change change) {
    Batch batch(*this);
    if (!changing_) {
      changing_ = true;
      if (observer_ != nullptr) observer_->GridChanging();
    }
    change();
  }
  void EndBatch();

  std::vector<std::vector<FlexCell>> cells_;
  std::vector<GridRowKind> kinds_;
  std::vector<int> colWidths_;
  std::vector<int> colAlignments_;
  int cols_ = 2;
  int row_ = 0;
  int col_ = 0;
  FlexGridObserver* observer_ = nullptr;
  int batchDepth_ = 0;
  bool changing_ = false;
};

}  // namespace korvane
