// korvane-cli report: the same bytes as the window's report, exit codes and
// its one-line messages.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>

#include "TreeHelpers.h"
#include "report/CreateReport.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

struct CliRun {
  int exitCode = -1;
  std::string err;
};

// Runs korvane-cli with the arguments (already quoted) in folder cwd; a run
// that has not ended after 20 seconds is killed (exit code 124 or 137).
CliRun Cli(const std::string& arguments, const std::string& cwd, const std::string& errFile) {
  std::string command = "cd '" + cwd + "' && timeout -k 5 20 '" + std::string(KORVANE_CLI) +
                        "' " + arguments + " 2>'" + errFile + "' </dev/null >/dev/null";
  int status = std::system(command.c_str());
  CliRun r;
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.err = test::ReadFile(errFile);
  return r;
}

class CliReport : public ::testing::Test {
 protected:
  test::TempDir dir;
  std::string tree = dir.path().string() + "/tree";
  std::string err = dir.path().string() + "/stderr.txt";

  void SetUp() override {
    test::MakeFolder(tree + "/a b/c");
    std::filesystem::copy_file(std::string(KORVANE_WINE_PE_DIR) + "/lz32.dll",
                               tree + "/a b/c/l.dll");
    std::filesystem::copy_file(std::string(KORVANE_WINE_PE_DIR) + "/icmp.dll", tree + "/i.OCX");
    test::MakeFile(tree + "/t.txt");
  }
};

TEST_F(CliReport, WritesTheWindowsBytesToTheCurrentDirectory) {
  ReportOptions window;
  window.outputFile = dir.path().string() + "/window.txt";
  CreateReport(tree, window);
  const std::string expected = test::ReadFile(window.outputFile);
  ASSERT_NE(expected.find("l.dll"), std::string::npos);

  test::MakeFolder(dir.path().string() + "/work");
  CliRun r = Cli("report '" + tree + "'", dir.path().string() + "/work", err);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");  // no progress when standard error is no terminal
  EXPECT_EQ(test::ReadFile(dir.path().string() + "/work/output.txt"), expected);

  r = Cli("report --output '" + dir.path().string() + "/named.txt' '" + tree + "/'",
          dir.path().string(), err);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(test::ReadFile(dir.path().string() + "/named.txt"), expected);
  r = Cli("report '" + tree + "' --output=other.txt", dir.path().string(), err);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(test::ReadFile(dir.path().string() + "/other.txt"), expected);
}

TEST_F(CliReport, UsageErrorsAndMissingFolders) {
  CliRun r = Cli("report", dir.path().string(), err);
  EXPECT_EQ(r.exitCode, 2);
  r = Cli("report '" + dir.path().string() + "/missing'", dir.path().string(), err);
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("missing"), std::string::npos);
  r = Cli("report '" + tree + "/t.txt'", dir.path().string(), err);  // a file, not a folder
  EXPECT_EQ(r.exitCode, 2);
  r = Cli("report '" + tree + "' --output", dir.path().string(), err);
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "output.txt"));
}

TEST_F(CliReport, UnwritableReportIsOneLineAndNonZero) {
  const std::string fifo = dir.path().string() + "/fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);  // nobody reads it
  const struct {
    std::string output;
    std::string reason;
  } cases[] = {
      {dir.path().string() + "/nope/out.txt", "error 76: Path not found"},
      {fifo, "not a regular file"},
  };
  for (const auto& c : cases) {
    CliRun r = Cli("report '" + tree + "' --output '" + c.output + "'", dir.path().string(), err);
    EXPECT_EQ(r.exitCode, 1) << c.output;
    EXPECT_EQ(r.err, "korvane-cli: cannot write the report to " + c.output + ": " + c.reason + "\n");
  }
}

TEST_F(CliReport, ProgressLineOnATerminal) {
  if (std::system("command -v script >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "script(1) is needed to give the program a terminal";
  }
  const std::string typescript = dir.path().string() + "/terminal.txt";
  const std::string command = "cd '" + dir.path().string() + "' && script -qec \"'" +
                              std::string(KORVANE_CLI) + "' report '" + tree +
                              "'\" /dev/null >'" + typescript + "' 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::string shown = test::ReadFile(typescript);
  EXPECT_NE(shown.find("report: collecting files..."), std::string::npos) << shown;
  EXPECT_NE(shown.find("report: 3/3 "), std::string::npos) << shown;  // the last file, always drawn
  EXPECT_TRUE(shown.ends_with("\r\033[K")) << shown;                 // and wiped at the end
  EXPECT_NE(test::ReadFile(dir.path().string() + "/output.txt").find("File: "), std::string::npos);
}

}  // namespace
}  // namespace korvane
