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
  cells_.resize(static_cast<std::size_t>(rows), std::vector<FlexCell>(static_cast<std::size_t>(cols_)));
  if (row_ >= rows) row_ = rows > 0 ? rows - 1 : 0;
  Changed();
}

void FlexGrid::SetCols(int cols) {
  if (cols < 0) throw VbError(kInvalidCol, "MSFlexGrid", "Invalid Col value");
  cols_ = cols;
  for (auto& row : cells_) row.resize(static_cast<std::size_t>(cols));
  colWidths_.resize(static_cast<std::size_t>(cols), kDefaultWidth);
  colAlignments_.resize(static_cast<std::size_t>(cols), kDefaultAlignment);
  if (col_ >= cols) col_ = cols > 0 ? cols - 1 : 0;
  Changed();
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
  cells_[static_cast<std::size_t>(row_)][static_cast<std::size_t>(col_)].text = text;
  Changed();
}

void FlexGrid::SetCellBackColor(OleColor color) {
  if (row_ >= Rows() || col_ >= cols_) throw VbError(kInvalidRow, "MSFlexGrid", "Invalid Row value");
  cells_[static_cast<std::size_t>(row_)][static_cast<std::size_t>(col_)].backColor = color;
  Changed();
}

void FlexGrid::SetCellForeColor(OleColor color) {
  if (row_ >= Rows() || col_ >= cols_) throw VbError(kInvalidRow, "MSFlexGrid", "Invalid Row value");
  cells_[static_cast<std::size_t>(row_)][static_cast<std::size_t>(col_)].foreColor = color;
  Changed();
}

int FlexGrid::ColWidth(int col) const {
  if (col < 0 || col >= static_cast<int>(colWidths_.size())) return kDefaultWidth;
  return colWidths_[static_cast<std::size_t>(col)];
}

void FlexGrid::SetColWidth(int col, int twips) {
  if (col < 0 || col >= cols_) throw VbError(kInvalidCol, "MSFlexGrid", "Invalid Col value");
  colWidths_.resize(static_cast<std::size_t>(cols_), kDefaultWidth);
  colWidths_[static_cast<std::size_t>(col)] = twips;
  Changed();
}

int FlexGrid::ColAlignment(int col) const {
  if (col < 0 || col >= static_cast<int>(colAlignments_.size())) return kDefaultAlignment;
  return colAlignments_[static_cast<std::size_t>(col)];
}

void FlexGrid::SetColAlignment(int col, int alignment) {
  if (col < 0 || col >= cols_) throw VbError(kInvalidCol, "MSFlexGrid", "Invalid Col value");
  colAlignments_.resize(static_cast<std::size_t>(cols_), kDefaultAlignment);
  colAlignments_[static_cast<std::size_t>(col)] = alignment;
  Changed();
}

void FlexGrid::Clear() {
  for (auto& row : cells_) {
    for (auto& cell : row) cell = FlexCell{};
  }
  Changed();
}

const FlexCell& FlexGrid::Cell(int row, int col) const {
  if (row < 0 || row >= Rows() || col < 0 || col >= cols_) return EmptyCell();
  return cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

}  // namespace korvane
