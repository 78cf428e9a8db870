#include "cli/GridOutput.h"

#include <cstdio>

#include "cli/JsonOutput.h"
#include "formats/VisibleText.h"
#include "inspection/clsGrid.h"

namespace korvane::cli {

std::vector<GridOutputRow> ReadGridRows(const FlexGrid& grid) {
  std::vector<GridOutputRow> rows;
  for (int r = 0; r < grid.Rows(); ++r) {
    rows.push_back({grid.Cell(r, 0).text, grid.Cell(r, 1).text, grid.RowKind(r)});
  }
  return rows;
}

// Captions and texts come from files and the registry: each stays on its
// line, and the caption one field. The text is the line's last field, which a
// TAB cannot split, so its TABs stay as they are.
std::string GridRowsAsText(const std::vector<GridOutputRow>& rows) {
  using formats::AppendVisible;
  std::string out;
  for (const auto& row : rows) {
    if (row.kind == GridRowKind::Message) {
      AppendVisible(out, row.caption);
    } else if (row.kind == GridRowKind::Header) {
      out += "== ";
      AppendVisible(out, row.caption);
      out += " ==";
    } else {
      AppendVisible(out, row.caption);
      out += '\t';
      AppendVisible(out, row.text, formats::Tabs::kKeep);
    }
    out += '\n';
  }
  return out;
}

Json GridRowsAsJson(const std::vector<GridOutputRow>& rows) {
  Json out = Json::array();
  for (const auto& row : rows) {
    out.push_back({{"caption", row.caption}, {"text", row.text}, {"header", row.kind == GridRowKind::Header}});
  }
  return out;
}

void PrintGridRows(const FlexGrid& grid, bool json, Json head) {
  const auto rows = ReadGridRows(grid);
  if (json) {
    head["rows"] = GridRowsAsJson(rows);
    PrintJson(head);
  } else {
    std::fputs(GridRowsAsText(rows).c_str(), stdout);
  }
}

}  // namespace korvane::cli
