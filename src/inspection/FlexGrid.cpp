#include "inspection/FlexGrid.h"

#include "common/VbError.h"

namespace korvane {

namespace {
// The grid control's own error numbers for a row or column out of range.
constexpr long kInvalidRow = 30009;
constexpr long kInvalidCol = 30010;
constexpr int kDefaultWidth = -1;  // the control's default column width
constexpr int kDefaultAlignment = 9;  // "general" alignment

const FlexCell& EmptyCell() {
  static const FlexCell empty;
  return empty;
}
}  // namespace

void FlexGrid::SetRows(int rows) {
  if (rows < 0) throw VbError(kInvalidRow, "MSFlexGrid", "Invalid Row value");
  Mutate([&] {
    cells_.resize(static_cast<std::size_t>(rows), std::vector<FlexCell>(static_cast<std::size_t>(cols_)));
    kinds_.resize(static_cast<std::size_t>(rows), GridRowKind::Item);
    if (row_ >= rows) row_ = rows > 0 ? rows - 1 : 0;
  });
}

void FlexGrid::SetCols(int cols) {
  if (cols < 0) throw VbError(kInvalidCol, "MSFlexGrid", "Invalid Col value");
  Mutate([&] {
    cols_ = cols;
    for (auto& row : cells_) row.resize(static_cast<std::size_t>(cols));
    colWidths_.resize(static_cast<std::size_t>(cols), kDefaultWidth);
    colAlignments_.resize(static_cast<std::size_t>(cols), kDefaultAlignment);
    if (col_ >= cols) col_ = cols > 0 ? cols - 1 : 0;
  });
}

void FlexGrid::SetRow(int row) {
  if (row < 0 || row >= Rows()) throw VbError(kInvalidRow, "MSFlexGrid", "Invalid Row value");
  row_ = row;
}

void FlexGrid::SetCol(int col) {
  if (col < 0 || col >= cols_) throw VbError(kInvalidCol, "MSFlexGrid", "Invalid Col value");
  col_ = col;
}

std::string FlexGrid::Text() const { return Cell(row_, col_).text; }

void FlexGrid::SetText(const std::string& text) {
  if (row_ >= Rows() || col_ >= cols_) throw VbError(kInvalidRow, "MSFlexGrid", "Invalid Row value");
  Mutate([&] { cells_[static_cast<std::size_t>(row_)][static_cast<std::size_t>(col_)].text = text; });
}

void FlexGrid::SetCellBackColor(OleColor color) {
  if (row_ >= Rows() || col_ >= cols_) throw VbError(kInvalidRow, "MSFlexGrid", "Invalid Row value");
  Mutate([&] { cells_[static_cast<std::size_t>(row_)][static_cast<std::size_t>(col_)].backColor = color; });
}

void FlexGrid::SetCellForeColor(OleColor color) {
  if (row_ >= Rows() || col_ >= cols_) throw VbError(kInvalidRow, "MSFlexGrid", "Invalid Row value");
  Mutate([&] { cells_[static_cast<std::size_t>(row_)][static_cast<std::size_t>(col_)].foreColor = color; });
}

int FlexGrid::ColWidth(int col) const {
  if (col < 0 || col >= static_cast<int>(colWidths_.size())) return kDefaultWidth;
  return colWidths_[static_cast<std::size_t>(col)];
}

void FlexGrid::SetColWidth(int col, int twips) {
  if (col < 0 || col >= cols_) throw VbError(kInvalidCol, "MSFlexGrid", "Invalid Col value");
  Mutate([&] {
    colWidths_.resize(static_cast<std::size_t>(cols_), kDefaultWidth);
    colWidths_[static_cast<std::size_t>(col)] = twips;
  });
}

int FlexGrid::ColAlignment(int col) const {
  if (col < 0 || col >= static_cast<int>(colAlignments_.size())) return kDefaultAlignment;
  return colAlignments_[static_cast<std::size_t>(col)];
}

void FlexGrid::SetColAlignment(int col, int alignment) {
  if (col < 0 || col >= cols_) throw VbError(kInvalidCol, "MSFlexGrid", "Invalid Col value");
  Mutate([&] {
    colAlignments_.resize(static_cast<std::size_t>(cols_), kDefaultAlignment);
    colAlignments_[static_cast<std::size_t>(col)] = alignment;
  });
}

void FlexGrid::Clear() {
  Mutate([&] {
    for (auto& row : cells_) {
      for (auto& cell : row) cell = FlexCell{};
    }
    for (auto& kind : kinds_) kind = GridRowKind::Item;
  });
}

GridRowKind FlexGrid::RowKind(int row) const {
  if (row < 0 || row >= Rows()) return GridRowKind::Item;
  return kinds_[static_cast<std::size_t>(row)];
}

void FlexGrid::SetRowKind(int row, GridRowKind kind) {
  if (row < 0 || row >= Rows()) throw VbError(kInvalidRow, "MSFlexGrid", "Invalid Row value");
  Mutate([&] { kinds_[static_cast<std::size_t>(row)] = kind; });
}

void FlexGrid::EndBatch() {
  if (--batchDepth_ > 0 || !changing_) return;
  changing_ = false;
  if (observer_ != nullptr) observer_->GridChanged();
}

const FlexCell& FlexGrid::Cell(int row, int col) const {
  if (row < 0 || row >= Rows() || col < 0 || col >= cols_) return EmptyCell();
  return cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

}  // namespace korvane
