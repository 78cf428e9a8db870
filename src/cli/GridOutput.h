#pragma once
// Prints the rows of a result grid for korvane-cli: as text (caption TAB text,
// a header as "== caption ==") or as a JSON array of row objects.

#include <string>
#include <vector>

#include "common/Json.h"
#include "inspection/FlexGrid.h"
#include "inspection/clsActiveX.h"
#include "inspection/clsGrid.h"

namespace korvane::cli {

struct GridOutputRow {
  std::string caption;
  std::string text;
  GridRowKind kind = GridRowKind::Item;
};

// The grid's rows with the kind each was filled as.
std::vector<GridOutputRow> ReadGridRows(const FlexGrid& grid);

// An inspector bound to two grids of its own, as the main window binds it.
struct BoundInspector {
  BoundInspector() {
    info.Init(&infoGrid);
    comparison.Init(&comparisonGrid);
    inspector.Init(&info, &comparison);
  }
  FlexGrid infoGrid;
  FlexGrid comparisonGrid;
  clsGrid info;
  clsGrid comparison;
  clsActiveX inspector;
};

// Writes the rows to standard output: as text, or with json as the document
// head with the rows added as its member "rows".
void PrintGridRows(const FlexGrid& grid, bool json, Json head);

// One line per row, each ending in a newline.
std::string GridRowsAsText(const std::vector<GridOutputRow>& rows);
// [{"caption": C, "text": T, "header": B}, ...]; a message row carries its
// text as the caption, an empty text and header false.
Json GridRowsAsJson(const std::vector<GridOutputRow>& rows);

}  // namespace korvane::cli
