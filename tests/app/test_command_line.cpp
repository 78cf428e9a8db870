// Splitting the argument text into switch and path.

#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace korvane {
namespace {

TEST(SplitCommandLineTest, QuotedPathAfterASwitch) {
  ParsedCommandLine p = SplitCommandLine("-r \"C:\\Program Files\\A\\x.dll\"");
  EXPECT_EQ(p.switchText, "-r");
  EXPECT_EQ(p.path, "C:\\Program Files\\A\\x.dll");
  EXPECT_EQ(p.pieces.size(), 2u);
}

TEST(SplitCommandLineTest, PlainQuotedPathReplacesPieceZero) {
  ParsedCommandLine p = SplitCommandLine("\"C:\\a b\\x.ocx\"");
  EXPECT_EQ(p.switchText, "C:\\a b\\x.ocx");
  EXPECT_EQ(p.pieces.size(), 2u);
  EXPECT_EQ(p.pieces[1], "b\\x.ocx\"");  // the second piece of the split stays
}

TEST(SplitCommandLineTest, CapitalSwitchIsNoSwitch) {
  ParsedCommandLine p = SplitCommandLine("-R \"C:\\x.dll\"");
  EXPECT_EQ(p.switchText, "C:\\x.dll");
}

TEST(SplitCommandLineTest, UnquotedPathEndsAtTheFirstBlank) {
  ParsedCommandLine p = SplitCommandLine("-u x.dll more words");
  EXPECT_EQ(p.switchText, "-u");
  EXPECT_EQ(p.path, "x.dll");
  EXPECT_EQ(p.pieces.size(), 4u);
}

TEST(SplitCommandLineTest, ConsecutiveBlanksGiveEmptyPieces) {
  ParsedCommandLine p = SplitCommandLine("-r  x.dll");
  EXPECT_EQ(p.switchText, "-r");
  EXPECT_EQ(p.path, "");
  ASSERT_EQ(p.pieces.size(), 3u);
  EXPECT_EQ(p.pieces[2], "x.dll");
}

TEST(SplitCommandLineTest, SwitchAloneHasNoPath) {
  ParsedCommandLine p = SplitCommandLine("-r");
  EXPECT_EQ(p.switchText, "-r");
  EXPECT_EQ(p.path, "");
  EXPECT_EQ(p.pieces.size(), 1u);
}

TEST(SplitCommandLineTest, MissingClosingQuoteKeepsTheLastCharacter) {
  EXPECT_EQ(SplitCommandLine("-r \"C:\\x.dll").path, "C:\\x.dll");
  EXPECT_EQ(SplitCommandLine("\"C:\\x.dll").switchText, "C:\\x.dll");
}

TEST(SplitCommandLineTest, QuotedSwitchWithoutPathGetsTwoPieces) {
  ParsedCommandLine p = SplitCommandLine("-s \"\"");
  EXPECT_EQ(p.switchText, "-s");
  EXPECT_EQ(p.path, "");
  EXPECT_EQ(p.pieces.size(), 2u);
}

TEST(SplitCommandLineTest, HostileTextNeverBreaks) {
  for (const char* text : {"", " ", "   ", "\"", "\"\"", "\"\"\"", " \"", "\" ", "-r \"", "-f\"x\""}) {
    ParsedCommandLine p = SplitCommandLine(text);
    EXPECT_FALSE(p.pieces.empty()) << text;
  }
  EXPECT_EQ(SplitCommandLine("\"").switchText, "");
  EXPECT_EQ(SplitCommandLine("\"\"").switchText, "");
  EXPECT_EQ(SplitCommandLine("  ").pieces.size(), 3u);
  std::string longText = "-r \"" + std::string(100000, 'a') + "\"";
  EXPECT_EQ(SplitCommandLine(longText).path.size(), 100000u);
  std::string binary = "-u \"\xff\xfe\x80\x01 x\"";
  EXPECT_EQ(SplitCommandLine(binary).path, "\xff\xfe\x80\x01 x");
}

TEST(ResolveCommandPathTest, OnlyRelativePathsGetTheProgramFolder) {
  const std::string app = "/opt/korvane/";
  EXPECT_EQ(ResolveCommandPath("x.dll", app), "/opt/korvane/x.dll");
  EXPECT_EQ(ResolveCommandPath("sub\\x.dll", app), "/opt/korvane/sub\\x.dll");
  EXPECT_EQ(ResolveCommandPath("", app), "");
  EXPECT_EQ(ResolveCommandPath("C:\\x.dll", app), "C:\\x.dll");
  EXPECT_EQ(ResolveCommandPath("c:/x.dll", app), "c:/x.dll");
  EXPECT_EQ(ResolveCommandPath("\\\\server\\share\\dir", app), "\\\\server\\share\\dir");
  EXPECT_EQ(ResolveCommandPath("/home/u/x.dll", app), "/home/u/x.dll");
  EXPECT_EQ(ResolveCommandPath("odd:\\inside", app), "odd:\\inside");
}

}  // namespace
}  // namespace korvane
