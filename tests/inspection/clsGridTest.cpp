// The grid wrapper: rows, widths, alignment, header colours and the message row.

#include <gtest/gtest.h>

#include "GridRows.h"
#include "common/VbError.h"
#include "inspection/clsGrid.h"

namespace korvane {
namespace {

using test::GridRow;
using test::HeaderColours;
using test::RowsOf;

class GridTest : public ::testing::Test {
 protected:
  void SetUp() override { wrapper.Init(&grid); }
  FlexGrid grid;
  clsGrid wrapper;
};

TEST_F(GridTest, InitEmptiesTheGridToTwoColumns) {
  FlexGrid used;
  used.SetCols(5);
  used.SetRows(7);
  clsGrid other;
  other.Init(&used);
  EXPECT_EQ(used.Rows(), 0);
  EXPECT_EQ(used.Cols(), 2);
  EXPECT_EQ(other.Grid(), &used);
}

TEST_F(GridTest, NormalRowsHaveTextWidthsAlignmentAndNoColour) {
  wrapper.AddRow("Caption:", "value", false);
  wrapper.AddRow("", "", false);  // a blank row is still a row
  ASSERT_EQ(grid.Rows(), 2);
  EXPECT_EQ(RowsOf(grid), (std::vector<GridRow>{{"Caption:", "value", false}, {"", "", false}}));
  EXPECT_EQ(grid.ColWidth(0), 2000);
  EXPECT_EQ(grid.ColWidth(1), 4200);
  EXPECT_EQ(grid.ColAlignment(0), 1);
  EXPECT_EQ(grid.ColAlignment(1), 1);
  for (int col = 0; col < 2; ++col) {
    EXPECT_EQ(grid.Cell(0, col).backColor, kColorDefault);
    EXPECT_EQ(grid.Cell(0, col).foreColor, kColorDefault);
  }
  EXPECT_EQ(grid.Row(), 1);  // the new row is the current one
}

TEST_F(GridTest, HeadersAlternateDesktopAndOrangeAcrossOtherRows) {
  wrapper.AddRow("One", "", true);
  wrapper.AddRow("a", "1", false);
  wrapper.AddRow("Two", "", true);
  wrapper.AddRow("b", "2", false);
  wrapper.AddRow("c", "3", false);
  wrapper.AddRow("Three", "x", true);
  EXPECT_EQ(HeaderColours(grid), (std::vector<OleColor>{kDesktopColor, kHeaderOrange, kDesktopColor}));
  // Both cells of a header are coloured; the row after it is not.
  EXPECT_EQ(grid.Cell(2, 1).backColor, kHeaderOrange);
  EXPECT_EQ(grid.Cell(2, 1).foreColor, kWhite);
  EXPECT_EQ(grid.Cell(3, 0).backColor, kColorDefault);
  EXPECT_EQ(grid.Cell(3, 1).foreColor, kColorDefault);
  EXPECT_EQ(grid.Cell(5, 1).text, "x");
  EXPECT_EQ(kHeaderOrange, 0x001B9CFCu);
  EXPECT_EQ(kDesktopColor, 0x80000001u);
}

TEST_F(GridTest, ClearEmptiesAndRestartsTheAlternation) {
  wrapper.AddRow("One", "", true);
  wrapper.AddRow("row", "text", false);
  wrapper.Clear();
  EXPECT_EQ(grid.Rows(), 0);
  EXPECT_EQ(grid.Cols(), 2);
  wrapper.AddRow("Again", "", true);
  EXPECT_EQ(HeaderColours(grid), std::vector<OleColor>{kDesktopColor});
  EXPECT_EQ(grid.Cell(0, 1).text, "");
}

TEST_F(GridTest, ShowMsgLeavesOneWideWhiteOnDesktopRow) {
  wrapper.AddRow("Header", "", true);
  wrapper.AddRow("row", "text", false);
  wrapper.ShowMsg("Something to say");
  ASSERT_EQ(grid.Rows(), 1);
  EXPECT_EQ(grid.Cell(0, 0).text, "Something to say");
  EXPECT_EQ(grid.Cell(0, 0).backColor, kDesktopColor);
  EXPECT_EQ(grid.Cell(0, 0).foreColor, kWhite);
  EXPECT_EQ(grid.Cell(0, 1).text, "");
  EXPECT_EQ(grid.Cell(0, 1).backColor, kColorDefault);
  EXPECT_EQ(grid.ColWidth(0), 20000);
  EXPECT_EQ(grid.ColWidth(1), 4200);  // untouched
  EXPECT_EQ(grid.ColAlignment(0), 1);
}

TEST_F(GridTest, AddRowAfterShowMsgReplacesTheMessage) {
  wrapper.AddRow("First header", "", true);  // desktop; the next would be orange
  wrapper.ShowMsg("message");
  wrapper.AddRow("Header", "", true);
  wrapper.AddRow("row", "text", false);
  EXPECT_EQ(RowsOf(grid), (std::vector<GridRow>{{"Header", "", true}, {"row", "text", false}}));
  EXPECT_EQ(grid.Cell(0, 0).backColor, kDesktopColor);  // the alternation starts again
  EXPECT_EQ(grid.ColWidth(0), 2000);
  EXPECT_EQ(grid.ColWidth(1), 4200);
}

TEST_F(GridTest, ShowMsgTwiceKeepsOneRow) {
  wrapper.ShowMsg("first");
  wrapper.ShowMsg("second");
  EXPECT_EQ(RowsOf(grid), (std::vector<GridRow>{{"second", "", false}}));
  EXPECT_EQ(grid.RowKind(0), GridRowKind::Message);
}

TEST_F(GridTest, EveryRowCarriesTheKindItWasAddedAs) {
  wrapper.AddRow("Header", "", true);
  wrapper.AddRow("row", "text", false);
  wrapper.AddRow("white text is not what makes a header", "", false);
  EXPECT_EQ(grid.RowKind(0), GridRowKind::Header);
  EXPECT_EQ(grid.RowKind(1), GridRowKind::Item);
  EXPECT_EQ(grid.RowKind(2), GridRowKind::Item);
  wrapper.Clear();
  wrapper.AddRow("again", "", false);
  EXPECT_EQ(grid.RowKind(0), GridRowKind::Item);  // a cleared row forgets its kind
}

// Counts what the grid tells its view.
struct CountingObserver final : FlexGridObserver {
  void GridChanging() override {
    EXPECT_FALSE(open);
    open = true;
  }
  void GridChanged() override {
    EXPECT_TRUE(open);
    open = false;
    ++changes;
  }
  bool open = false;
  int changes = 0;
};

TEST_F(GridTest, TheViewHearsOncePerOperationOrPerBatch) {
  CountingObserver view;
  grid.SetObserver(&view);
  wrapper.AddRow("Header", "", true);
  wrapper.ShowMsg("message");
  wrapper.Clear();
  EXPECT_EQ(view.changes, 3);
  {
    FlexGrid::Batch fill(grid);
    for (int i = 0; i < 23; ++i) wrapper.AddRow("row", std::to_string(i), i % 5 == 0);
    EXPECT_EQ(view.changes, 3);
    EXPECT_TRUE(view.open);  // announced before the first change
  }
  EXPECT_EQ(view.changes, 4);
  {
    FlexGrid::Batch nothing(grid);
  }
  EXPECT_EQ(view.changes, 4);  // a batch without changes is not reported
  EXPECT_THROW(grid.SetRow(99), VbError);
  EXPECT_EQ(view.changes, 4);  // nor is a refused change
  grid.SetObserver(nullptr);
}

TEST(GridLook, KindsGiveColoursAndWidths) {
  struct Case {
    GridRowKind kind;
    bool alternate;
    OleColor back, fore;
    int captionWidth, textWidth;
  };
  const Case cases[] = {
      {GridRowKind::Item, false, kColorDefault, kColorDefault, 2000, 4200},
      {GridRowKind::Header, false, kDesktopColor, kWhite, 2000, 4200},
      {GridRowKind::Header, true, kHeaderOrange, kWhite, 2000, 4200},
      {GridRowKind::Message, false, kDesktopColor, kWhite, 20000, 0},
  };
  for (const Case& c : cases) {
    const GridRowLook look = RowLook(c.kind, c.alternate);
    EXPECT_EQ(look.back, c.back) << KindName(c.kind);
    EXPECT_EQ(look.fore, c.fore) << KindName(c.kind);
    EXPECT_EQ(look.captionWidth, c.captionWidth) << KindName(c.kind);
    EXPECT_EQ(look.textWidth, c.textWidth) << KindName(c.kind);
  }
  EXPECT_EQ(ScreenRgb(kHeaderOrange), 0xFC9C1Bu);  // stored blue-green-red
  EXPECT_EQ(ScreenRgb(kDesktopColor), kDesktopRgb);
  EXPECT_EQ(ScreenRgb(0x8000000Fu), std::nullopt);
  EXPECT_EQ(ScreenRgb(kColorDefault), std::nullopt);
}

TEST(GridFailures, UnboundWrapperIgnoresEveryCall) {
  clsGrid unbound;
  EXPECT_NO_THROW(unbound.Clear());
  EXPECT_NO_THROW(unbound.AddRow("a", "b", true));
  EXPECT_NO_THROW(unbound.ShowMsg("m"));
  EXPECT_EQ(unbound.Grid(), nullptr);
}

TEST(GridFailures, AFailingCallIsSkippedAndTheRestStillRuns) {
  FlexGrid grid;
  clsGrid wrapper;
  wrapper.Init(&grid);
  grid.SetCols(1);  // column 1 no longer exists: selecting it fails
  EXPECT_NO_THROW(wrapper.AddRow("caption", "text", true));
  ASSERT_EQ(grid.Rows(), 1);
  // The failed column change left column 0 current, so the second text and
  // colours land there; the width of column 0 was still set.
  EXPECT_EQ(grid.Cell(0, 0).text, "text");
  EXPECT_EQ(grid.Cell(0, 0).foreColor, kWhite);
  EXPECT_EQ(grid.ColWidth(0), 2000);
}

}  // namespace
}  // namespace korvane
