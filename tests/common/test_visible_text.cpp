// Text from files made safe for line-oriented output: whatever could end a
// line or split a TAB-separated record becomes '?', everything else stays.

#include <gtest/gtest.h>

#include <string>

#include "formats/VisibleText.h"

namespace korvane {
namespace {

using formats::Tabs;
using formats::Visible;

TEST(VisibleText, ReplacesWhatBreaksLinesOrFields) {
  struct Case {
    std::string in;
    Tabs tabs;
    std::string out;
  };
  const Case cases[] = {
      {"Lib\tName\nforged\r\n", Tabs::kReplace, "Lib?Name?forged??"},
      {"a\tb", Tabs::kKeep, "a\tb"},
      {std::string("nul\0esc\x1b del\x7f", 13), Tabs::kReplace, "nul?esc? del?"},
      {"nel\xC2\x85 c1\xC2\x9F nbsp\xC2\xA0", Tabs::kReplace, "nel? c1? nbsp\xC2\xA0"},
      {"ls\xE2\x80\xA8ps\xE2\x80\xA9 dash\xE2\x80\x94", Tabs::kReplace, "ls?ps? dash\xE2\x80\x94"},
      {"C:\\Windows\\x.dll \xC3\xA9", Tabs::kReplace, "C:\\Windows\\x.dll \xC3\xA9"},
      {"cut\xC2", Tabs::kReplace, "cut\xC2"},
  };
  for (const Case& c : cases) EXPECT_EQ(Visible(c.in, c.tabs), c.out) << c.in;
}

}  // namespace
}  // namespace korvane
