#include "cli/GridOutput.h"

#include <cstdio>

#include "cli/JsonOutput.h"
#include "inspection/clsGrid.h"

namespace korvane::cli {

namespace {
constexpr int kMessageWidth = 20000;
}

std::vector<GridOutputRow> ReadGridRows(const FlexGrid& grid) {
  std::vector<GridOutputRow> rows;
  const bool messageForm = grid.Rows() == 1 && grid.ColWidth(0) == kMessageWidth;
  for (int r = 0; r < grid.Rows(); ++r) {
    GridOutputRow row;
    row.caption = grid.Cell(r, 0).text;
    row.text = grid.Cell(r, 1).text;
    const bool white = grid.Cell(r, 0).foreColor == kWhite;
    row.message = messageForm && white;
    row.header = white && !row.message;
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string GridRowsAsText(const std::vector<GridOutputRow>& rows) {
  std::string out;
  for (const auto& row : rows) {
    if (row.message) {
      out += row.caption;
    } else if (row.header) {
      out += "== " + row.caption + " ==";
    } else {
      out += row.caption + "\t" + row.text;
    }
    out += '\n';
  }
  return out;
}

Json GridRowsAsJson(const std::vector<GridOutputRow>& rows) {
  Json out = Json::array();
  for (const auto& row : rows) {
    out.push_back({{"caption", row.caption}, {"text", row.text}, {"header", row.header}});
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
