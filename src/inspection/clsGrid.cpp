#include "inspection/clsGrid.h"

#include <optional>

#include "common/CarryOn.h"

namespace korvane {

namespace {

constexpr int kLeftCentre = 1;

// Runs one grid call; a failing call (an unbound wrapper, a value the grid
// refuses) is skipped so that the remaining steps still run.
template <typename Call>
void Step(FlexGrid* grid, Call call) {
  if (grid == nullptr) return;
  CarryOn("clsGrid", [&] { call(*grid); });
}

// One operation of the wrapper reaches the grid's view as one change.
class OneChange {
 public:
  explicit OneChange(FlexGrid* grid) {
    if (grid != nullptr) batch_.emplace(*grid);
  }

 private:
  std::optional<FlexGrid::Batch> batch_;
};

void ColourCell(FlexGrid* grid, const GridRowLook& look) {
  Step(grid, [&](FlexGrid& g) { g.SetCellBackColor(look.back); });
  Step(grid, [&](FlexGrid& g) { g.SetCellForeColor(look.fore); });
}

// Appends a row of the given kind and makes its first cell current.
void AppendRow(FlexGrid* grid, GridRowKind kind) {
  Step(grid, [](FlexGrid& g) { g.SetRows(g.Rows() + 1); });
  Step(grid, [](FlexGrid& g) { g.SetRow(g.Rows() - 1); });
  Step(grid, [&](FlexGrid& g) { g.SetRowKind(g.Rows() - 1, kind); });
  Step(grid, [](FlexGrid& g) { g.SetCol(0); });
}

}  // namespace

void clsGrid::Init(FlexGrid* msflex) {
  grid_ = msflex;
  const OneChange batch(grid_);
  Step(grid_, [](FlexGrid& g) { g.SetRows(0); });
  Step(grid_, [](FlexGrid& g) { g.SetCols(2); });
}

void clsGrid::Clear() {
  const OneChange batch(grid_);
  Step(grid_, [](FlexGrid& g) { g.Clear(); });
  Step(grid_, [](FlexGrid& g) { g.SetRows(0); });
  Step(grid_, [](FlexGrid& g) { g.SetCols(2); });
  headerOrange_ = false;
  showingMessage_ = false;
}

void clsGrid::AddRow(const std::string& sCaption, const std::string& sText, bool bRevCol) {
  const OneChange batch(grid_);
  // A message row stands alone: rows added after it replace it.
  if (showingMessage_) Clear();
  const GridRowKind kind = bRevCol ? GridRowKind::Header : GridRowKind::Item;
  const GridRowLook look = RowLook(kind, headerOrange_);

  AppendRow(grid_, kind);
  if (bRevCol) ColourCell(grid_, look);
  Step(grid_, [&](FlexGrid& g) { g.SetColWidth(0, look.captionWidth); });
  Step(grid_, [](FlexGrid& g) { g.SetColAlignment(0, kLeftCentre); });
  Step(grid_, [&](FlexGrid& g) { g.SetText(sCaption); });

  Step(grid_, [](FlexGrid& g) { g.SetCol(1); });
  if (bRevCol) ColourCell(grid_, look);
  Step(grid_, [&](FlexGrid& g) { g.SetColWidth(1, look.textWidth); });
  Step(grid_, [](FlexGrid& g) { g.SetColAlignment(1, kLeftCentre); });
  Step(grid_, [&](FlexGrid& g) { g.SetText(sText); });

  if (bRevCol) headerOrange_ = !headerOrange_;
}

void clsGrid::ShowMsg(const std::string& sMsg) {
  const OneChange batch(grid_);
  const GridRowLook look = RowLook(GridRowKind::Message, false);
  Clear();
  AppendRow(grid_, GridRowKind::Message);
  ColourCell(grid_, look);
  Step(grid_, [&](FlexGrid& g) { g.SetColWidth(0, look.captionWidth); });
  Step(grid_, [](FlexGrid& g) { g.SetColAlignment(0, kLeftCentre); });
  Step(grid_, [&](FlexGrid& g) { g.SetText(sMsg); });
  showingMessage_ = true;
}

}  // namespace korvane
