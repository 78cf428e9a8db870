// The grid wrapper: rows, widths, alignment, header colours and the message row.

#include <gtest/gtest.h>

#include "GridRows.h"
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
  EXPECT_EQ(RowsOf(grid), (std::vector<GridRow>{{"second", "", true}}));
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
