// Each action format's quoting, checked against what its reader makes of it.

#include <gtest/gtest.h>

#include <optional>

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
      {"/opt/`id`/k", "\"/opt/\\\\`id\\\\`/k\""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EscapeKeyFileValue(DesktopExecArgument(c.in)), c.out) << c.in;
  }
}

// One Exec argument read back by the Desktop Entry rules (after the key
// file's own escapes are undone): inside double quotes each of '"', '`', '$'
// and '\\' must follow a backslash, which is dropped; a reserved character
// outside quotes is not allowed; "%%" is '%'. nullopt when the rules are
// broken.
std::optional<std::string> ReadExecArgument(const std::string& argument) {
  std::string out;
  const bool quoted = argument.size() >= 2 && argument.front() == '"' && argument.back() == '"';
  const std::string body = quoted ? argument.substr(1, argument.size() - 2) : argument;
  for (std::size_t i = 0; i < body.size(); ++i) {
    char c = body[i];
    const bool mustEscape = std::string_view("\"`$\\").find(c) != std::string_view::npos;
    if (!quoted && std::string_view(" \t\n\"'\\><~|&;$*?#()`").find(c) != std::string_view::npos) return std::nullopt;
    if (quoted && c == '\\' && i + 1 < body.size() &&
        std::string_view("\"`$\\").find(body[i + 1]) != std::string_view::npos) {
      c = body[++i];
    } else if (quoted && mustEscape) {
      return std::nullopt;
    }
    if (c == '%') {
      if (i + 1 >= body.size() || body[i + 1] != '%') return std::nullopt;
      ++i;
    }
    out += c;
  }
  return out;
}

TEST(Quoting, EveryPathComesBackWholeFromAnExecArgument) {
  for (const char* path : {"/usr/bin/korvane", "/opt/a b/k", "/opt/`touch x`/k", "/opt/$(id)/k",
                           "/opt/$HOME/k", "/opt/a\\b/k", "/opt/\"q\"/k", "/opt/it's/k",
                           "/opt/100%/k", "/opt/a;b|c&d/k", "/opt/\\`/k"}) {
    EXPECT_EQ(ReadExecArgument(DesktopExecArgument(path)), std::optional<std::string>(path)) << path;
  }
}

TEST(Quoting, KeyFileValuesAndXmlText) {
  EXPECT_EQ(EscapeKeyFileValue(" a\tb\nc\\"), "\\sa\\tb\\nc\\\\");
  EXPECT_EQ(EscapeXmlText("a<b>&c\"'"), "a&lt;b&gt;&amp;c\"'");
}

}  // namespace
}  // namespace korvane::desktop
