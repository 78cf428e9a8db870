#pragma once
// Reads a grid back as caption/text/header rows.

#include <ostream>
#include <string>
#include <vector>

#include "inspection/FlexGrid.h"
#include "inspection/clsGrid.h"

namespace korvane::test {

struct GridRow {
  std::string caption;
  std::string text;
  bool header = false;
  bool operator==(const GridRow&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const GridRow& row) {
  return out << (row.header ? "[H] " : "") << '"' << row.caption << "\" | \"" << row.text << '"';
}

inline std::vector<GridRow> RowsOf(const FlexGrid& grid) {
  std::vector<GridRow> rows;
  for (int r = 0; r < grid.Rows(); ++r) {
    rows.push_back({grid.Cell(r, 0).text, grid.Cell(r, 1).text, grid.RowKind(r) == GridRowKind::Header});
  }
  return rows;
}

// Background colours of the header rows, top to bottom.
inline std::vector<OleColor> HeaderColours(const FlexGrid& grid) {
  std::vector<OleColor> colours;
  for (int r = 0; r < grid.Rows(); ++r) {
    if (grid.RowKind(r) == GridRowKind::Header) colours.push_back(grid.Cell(r, 0).backColor);
  }
  return colours;
}

}  // namespace korvane::test
