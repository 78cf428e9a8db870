// The tab control's logic without a toolkit: the program's switch, presses on
// the headers, arrow keys past disabled tabs, which page shows, the header
// spans and where a caption starts.

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "forms/TabStrip.h"

namespace korvane {
namespace {

using forms::TabKey;
using forms::TabStrip;

struct Recorded {
  TabStrip strip{{"  One", "  Two && more", "Three"}};
  std::vector<std::pair<int, int>> switches;
  Recorded() {
    strip.OnSwitched([this](int previous, int now) { switches.emplace_back(previous, now); });
  }
};

TEST(TabStrip, OnlyARealChangeOfTheActiveTabRaisesTheSwitch) {
  Recorded r;
  EXPECT_EQ(r.strip.Active(), 0);
  EXPECT_TRUE(r.strip.PageShown(0));
  EXPECT_TRUE(r.strip.Select(2));
  EXPECT_FALSE(r.strip.Select(2));   // already active
  EXPECT_FALSE(r.strip.Select(3));   // no such tab
  EXPECT_FALSE(r.strip.Select(-1));
  EXPECT_EQ(r.switches, (std::vector<std::pair<int, int>>{{0, 2}}));
  EXPECT_TRUE(r.strip.PageShown(2));
  EXPECT_FALSE(r.strip.PageShown(0));
  // The program may choose a disabled tab; the user may not.
  r.strip.SetEnabled(1, false);
  EXPECT_TRUE(r.strip.Select(1));
  EXPECT_EQ(r.strip.Caption(1), "  Two && more");
  EXPECT_EQ(r.strip.Caption(3), "");
  EXPECT_FALSE(r.strip.Enabled(3));
  EXPECT_FALSE(r.strip.Enabled(-1));
}

TEST(TabStrip, PressesChooseAnEnabledHeaderOnly) {
  Recorded r;
  r.strip.SetEnabled(1, false);
  struct Press {
    int x, y;
    int active;  // afterwards
  };
  // A control 300 pixels wide: headers 0-99, 100-199, 200-299, 60 high.
  const Press presses[] = {
      {250, 30, 2},   // the third header
      {150, 30, 2},   // disabled: nothing
      {50, 150, 2},   // the page: nothing
      {50, 60, 2},    // just below the headers
      {0, 0, 0},      // the first header's corner
      {299, 59, 2},   // the last header's corner
      {300, 30, 2},   // beside the control
  };
  for (const Press& p : presses) {
    r.strip.Press(p.x, p.y, 300);
    EXPECT_EQ(r.strip.Active(), p.active) << p.x << "," << p.y;
  }
  EXPECT_EQ(r.switches, (std::vector<std::pair<int, int>>{{0, 2}, {2, 0}, {0, 2}}));
}

TEST(TabStrip, ArrowKeysMoveToTheNextEnabledTabThatWay) {
  Recorded r;
  r.strip.SetEnabled(1, false);
  struct Key {
    TabKey key;
    int active;
  };
  const Key keys[] = {{TabKey::Right, 2}, {TabKey::Right, 2}, {TabKey::Other, 2},
                      {TabKey::Left, 0},  {TabKey::Left, 0}};
  for (const Key& k : keys) {
    r.strip.Key(k.key);
    EXPECT_EQ(r.strip.Active(), k.active);
  }
  r.strip.SetEnabled(1, true);
  r.strip.Key(TabKey::Right);
  EXPECT_EQ(r.strip.Active(), 1);
}

TEST(TabStrip, HeadersCoverTheWidthAndCaptionsStartPastBlanksAndIcons) {
  TabStrip strip({"a", "b", "c"});
  const std::pair<int, int> spans[] = {{0, 100}, {100, 200}, {200, 301}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(strip.Header(i, 301).left, spans[i].first) << i;
    EXPECT_EQ(strip.Header(i, 301).right, spans[i].second) << i;
  }
  EXPECT_EQ(forms::SplitCaption("   Korvane && File Info"), (std::pair<int, std::string>{3, "Korvane && File Info"}));
  EXPECT_EQ(forms::SplitCaption("   "), (std::pair<int, std::string>{3, ""}));
  EXPECT_EQ(forms::SplitCaption(""), (std::pair<int, std::string>{0, ""}));
  EXPECT_EQ(forms::CaptionLeft(100, 54, -1), 158);   // no icon: after the blanks
  EXPECT_EQ(forms::CaptionLeft(100, 10, 150), 154);  // an icon reaching further
  EXPECT_EQ(forms::CaptionLeft(100, 54, 120), 158);  // an icon the blanks clear
}

}  // namespace
}  // namespace korvane
