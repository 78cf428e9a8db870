// Each action format's quoting, checked against what its reader makes of it.

#include <gtest/gtest.h>

#include "desktop/Quoting.h"

namespace korvane::desktop {
namespace {

struct Case {
  const char* in;
  const char* out;
};

TEST(Quoting, ShellWordsAreBareOnlyWhenNothingInThemIsSpecial) {
  const Case cases[] = {
      {"/usr/bin/korvane", "/usr/bin/korvane"},
      {"/opt/Korvane Tools/korvane", "'/opt/Korvane Tools/korvane'"},
      {"/opt/it's/korvane", "'/opt/it'\\''s/korvane'"},
      {"/opt/$HOME/`x`", "'/opt/$HOME/`x`'"},
      {"", "''"},
  };
  for (const Case& c : cases) EXPECT_EQ(ShellQuote(c.in), c.out) << c.in;
}

TEST(Quoting, DesktopExecArgumentsThenTheKeyFileLayer) {
  // The key file's own escapes come on top of the Exec quoting: a backslash
  // in the path is doubled twice.
  const Case cases[] = {
      {"/usr/bin/korvane", "/usr/bin/korvane"},
      {"/opt/100%/korvane", "/opt/100%%/korvane"},
      {"/opt/Korvane Tools/korvane", "\"/opt/Korvane Tools/korvane\""},
      {"/opt/a\\b/k", "\"/opt/a\\\\\\\\b/k\""},
      {"/opt/\"q\" $x/k", "\"/opt/\\\\\"q\\\\\" \\\\$x/k\""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EscapeKeyFileValue(DesktopExecArgument(c.in)), c.out) << c.in;
  }
}

TEST(Quoting, KeyFileValuesAndXmlText) {
  EXPECT_EQ(EscapeKeyFileValue(" a\tb\nc\\"), "\\sa\\tb\\nc\\\\");
  EXPECT_EQ(EscapeXmlText("a<b>&c\"'"), "a&lt;b&gt;&amp;c\"'");
}

}  // namespace
}  // namespace korvane::desktop
