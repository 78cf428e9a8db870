// Splitting the argument text into switch and path, and resolving the path.

#include <gtest/gtest.h>

#include <string>

#include "app/CommandLine.h"
#include "platform/Process.h"

namespace korvane {
namespace {

struct SplitCase {
  const char* text;
  const char* switchText;
  const char* path;
  std::size_t pieces;
};

// The text after the first double quote is the path; a closing quote is
// dropped only when it is the last character; the path replaces piece 1 after
// an exact -r/-u/-f/-s, else piece 0, and a quote cuts the list to two pieces.
// Without a quote, pieces are split at every single blank.
const SplitCase kSplitCases[] = {
    {"-r \"C:\\Program Files\\A\\x.dll\"", "-r", "C:\\Program Files\\A\\x.dll", 2},
    {"-r \"C:\\a b\\x.dll\" /s", "-r", "C:\\a b\\x.dll\" /s", 2},
    {"-r \"C:\\x.dll", "-r", "C:\\x.dll", 2},
    {"-r \"a\"b\"", "-r", "a\"b", 2},
    {"-r \"x\"", "-r", "x", 2},
    {"-r \"\"", "-r", "", 2},
    {"-r \"", "-r", "", 2},
    {"-r x.dll\"", "-r", "", 2},
    {"-r a\"b", "-r", "b", 2},
    {"-s \"x\"", "-s", "x", 2},
    {"-f \"a b c d\"", "-f", "a b c d", 2},
    {"-u \"\xff\xfe\x80\x01 x\"", "-u", "\xff\xfe\x80\x01 x", 2},
    {"\"C:\\a b\\x.ocx\"", "C:\\a b\\x.ocx", "b\\x.ocx\"", 2},
    {"\"x", "x", "", 2},
    {"\"", "", "", 2},
    {"\"\"", "", "", 2},
    {"\"\"\"", "\"", "", 2},
    {" \"", "", "\"", 2},
    {"-R \"C:\\x.dll\"", "C:\\x.dll", "\"C:\\x.dll\"", 2},
    {"-rr \"x\"", "x", "\"x\"", 2},
    {"-f\"x\"", "x", "", 2},
    {"-u x.dll more words", "-u", "x.dll", 4},
    {"-r  x.dll", "-r", "", 3},
    {"-r", "-r", "", 1},
    {"  ", "", "", 3},
    {"", "", "", 1},
};

TEST(SplitCommandLineTest, QuoteAndBlankRules) {
  for (const SplitCase& c : kSplitCases) {
    const ParsedCommandLine p = SplitCommandLine(c.text);
    EXPECT_EQ(p.switchText, c.switchText) << c.text;
    EXPECT_EQ(p.path, c.path) << c.text;
    EXPECT_EQ(p.pieces.size(), c.pieces) << c.text;
  }
}

TEST(SplitCommandLineTest, LongQuotedPathIsKeptWhole) {
  const std::string longText = "-r \"" + std::string(100000, 'a') + "\"";
  EXPECT_EQ(SplitCommandLine(longText).path.size(), 100000u);
}

TEST(ResolveCommandPathTest, OnlyRelativePathsGetTheProgramFolder) {
  const std::string app = "/opt/korvane/";
  // A path from the root is absolute where '/' is the separator.
  const std::string rooted = platform::kPathSeparator == '/' ? "/home/u/x.dll" : app + "/home/u/x.dll";
  const std::pair<const char*, std::string> cases[] = {
      {"x.dll", app + "x.dll"},
      {"sub\\x.dll", app + "sub\\x.dll"},
      {"\\x.dll", app + "\\x.dll"},
      {"", ""},
      {"C:\\x.dll", "C:\\x.dll"},
      {"c:/x.dll", "c:/x.dll"},
      {"\\\\server\\share\\dir", "\\\\server\\share\\dir"},
      {"odd:\\inside", "odd:\\inside"},
      {"/home/u/x.dll", rooted},
  };
  for (const auto& [path, resolved] : cases) EXPECT_EQ(ResolveCommandPath(path, app), resolved) << path;
}

}  // namespace
}  // namespace korvane
