#include "inspection/clsGrid.h"

#include "common/CarryOn.h"

namespace korvane {

namespace {

constexpr int kCaptionWidth = 2000;
constexpr int kTextWidth = 4200;
constexpr int kMessageWidth = 20000;
constexpr int kLeftCentre = 1;

// Runs one grid call; a failing call (an unbound wrapper, a value the grid
// refuses) is skipped so that the remaining steps still run.
template <typename Call>
void Step(FlexGrid* grid, Call call) {
  if (grid == nullptr) return;
  CarryOn("clsGrid", [&] { call(*grid); });
}

}  // namespace

void clsGrid::Init(FlexGrid* msflex) {
  grid_ = msflex;
  Step(grid_, [](FlexGrid& g) { g.SetRows(0); });
  Step(grid_, [](FlexGrid& g) { g.SetCols(2); });
}

void clsGrid::Clear() {
  Step(grid_, [](FlexGrid& g) { g.Clear(); });
  Step(grid_, [](FlexGrid& g) { g.SetRows(0); });
  Step(grid_, [](FlexGrid& g) { g.SetCols(2); });
  headerOrange_ = false;
  showingMessage_ = false;
}

void clsGrid::AddRow(const std::string& sCaption, const std::string& sText, bool bRevCol) {
  // A message row stands alone: rows added after it replace it.
  if (showingMessage_) Clear();
  const OleColor headerBack = headerOrange_ ? kHeaderOrange : kDesktopColor;
  auto colourCell = [&](FlexGrid* grid) {
    Step(grid, [&](FlexGrid& g) { g.SetCellBackColor(headerBack); });
    Step(grid, [](FlexGrid& g) { g.SetCellForeColor(kWhite); });
  };

  Step(grid_, [](FlexGrid& g) { g.SetRows(g.Rows() + 1); });
  Step(grid_, [](FlexGrid& g) { g.SetRow(g.Rows() - 1); });
  Step(grid_, [](FlexGrid& g) { g.SetCol(0); });
  if (bRevCol) colourCell(grid_);
  Step(grid_, [](FlexGrid& g) { g.SetColWidth(0, kCaptionWidth); });
  Step(grid_, [](FlexGrid& g) { g.SetColAlignment(0, kLeftCentre); });
  Step(grid_, [&](FlexGrid& g) { g.SetText(sCaption); });

  Step(grid_, [](FlexGrid& g) { g.SetCol(1); });
  if (bRevCol) colourCell(grid_);
  Step(grid_, [](FlexGrid& g) { g.SetColWidth(1, kTextWidth); });
  Step(grid_, [](FlexGrid& g) { g.SetColAlignment(1, kLeftCentre); });
  Step(grid_, [&](FlexGrid& g) { g.SetText(sText); });

  if (bRevCol) headerOrange_ = !headerOrange_;
}

void clsGrid::ShowMsg(const std::string& sMsg) {
  Clear();
  Step(grid_, [](FlexGrid& g) { g.SetRows(g.Rows() + 1); });
  Step(grid_, [](FlexGrid& g) { g.SetRow(g.Rows() - 1); });
  Step(grid_, [](FlexGrid& g) { g.SetCol(0); });
  Step(grid_, [](FlexGrid& g) { g.SetCellBackColor(kDesktopColor); });
  Step(grid_, [](FlexGrid& g) { g.SetCellForeColor(kWhite); });
  Step(grid_, [](FlexGrid& g) { g.SetColWidth(0, kMessageWidth); });
  Step(grid_, [](FlexGrid& g) { g.SetColAlignment(0, kLeftCentre); });
  Step(grid_, [&](FlexGrid& g) { g.SetText(sMsg); });
  showingMessage_ = true;
}

}  // namespace korvane
