#include "cli/GridOutput.h"

#include <cstdio>

#include "common/Json.h"
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

std::string GridRowsAsJson(const std::vector<GridOutputRow>& rows) {
  std::string out = "[";
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const auto& row = rows[i];
    out += i == 0 ? "\n    " : ",\n    ";
    out += "{\"caption\": " + JsonQuote(row.caption) + ", \"text\": " + JsonQuote(row.text) +
           ", \"header\": " + (row.header ? "true" : "false") + "}";
  }
  out += rows.empty() ? "]" : "\n  ]";
  return out;
}

void PrintGridRows(const FlexGrid& grid, bool json, const std::string& jsonHead) {
  const auto rows = ReadGridRows(grid);
  if (json) {
    std::printf("{%s,\n  \"rows\": %s}\n", jsonHead.c_str(), GridRowsAsJson(rows).c_str());
  } else {
    std::fputs(GridRowsAsText(rows).c_str(), stdout);
  }
}

}  // namespace korvane::cli
