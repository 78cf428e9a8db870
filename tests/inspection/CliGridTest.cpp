// korvane-cli info and compare: the printed rows, and the program's exit codes.

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>

#include "cli/GridOutput.h"
#include "common/Json.h"
#include "inspection/clsGrid.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

TEST(GridOutput, TextAndJsonOfHeadersAndRows) {
  FlexGrid grid;
  clsGrid wrapper;
  wrapper.Init(&grid);
  wrapper.AddRow("Section", "", true);
  wrapper.AddRow("Name:", "a \"quoted\"\tvalue", false);
  wrapper.AddRow("Second", "ignored", true);
  const auto rows = cli::ReadGridRows(grid);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].kind, GridRowKind::Header);
  EXPECT_EQ(rows[1].kind, GridRowKind::Item);
  EXPECT_EQ(rows[2].kind, GridRowKind::Header);  // an orange header is still a header
  EXPECT_EQ(cli::GridRowsAsText(rows), "== Section ==\nName:\ta \"quoted\"\tvalue\n== Second ==\n");
  EXPECT_EQ(cli::GridRowsAsJson(rows), Json::parse(R"([
      {"caption": "Section", "text": "", "header": true},
      {"caption": "Name:", "text": "a \"quoted\"\tvalue", "header": false},
      {"caption": "Second", "text": "ignored", "header": true}])"));
}

TEST(GridOutput, MessageRowIsItsTextAndNoHeader) {
  FlexGrid grid;
  clsGrid wrapper;
  wrapper.Init(&grid);
  wrapper.ShowMsg("Nothing here");
  const auto rows = cli::ReadGridRows(grid);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].kind, GridRowKind::Message);
  EXPECT_EQ(cli::GridRowsAsText(rows), "Nothing here\n");
  EXPECT_EQ(cli::GridRowsAsJson(rows),
            Json::parse(R"([{"caption": "Nothing here", "text": "", "header": false}])"));
  // A single header row of normal width is a header, not a message.
  wrapper.Clear();
  wrapper.AddRow("Only header", "", true);
  EXPECT_EQ(cli::ReadGridRows(grid)[0].kind, GridRowKind::Header);
  EXPECT_EQ(cli::GridRowsAsJson({}), Json::array());
}

struct CliRun {
  int exitCode = -1;
  std::string out;
};

// Runs korvane-cli on the given store (a fresh one when none is given);
// standard error is read with standard output when asked for.
CliRun RunCli(const std::string& arguments, const std::string& store = "", bool withErrors = false) {
  test::TempDir dir;
  const std::string command = "'" KORVANE_CLI_EXE "' --registry '" +
                              (store.empty() ? dir.File("registry.db") : store) + "' " + arguments +
                              (withErrors ? " 2>&1" : " 2>/dev/null");
  CliRun run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, got);
  const int status = ::pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

TEST(CliInfo, PrintsTheInfoGrid) {
  const CliRun run = RunCli("info " + Quoted(KORVANE_FIXTURE_ALPHA64_DLL));
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out.rfind("== TypeLib Info ==\nTypeLib Name:\tKorvaneAlpha (Korvane Alpha Library)\n"
                          "GUID:\t{6B1E9C40-2F5A-4C11-9D3E-7A10B2C3D4E5}\nVersion:\t1.10\nRegistered\tNo\n"
                          "== File Info ==\nCompanyName: \tKorvane Test Components\n",
                          0),
            0u)
      << run.out;
  EXPECT_NE(run.out.find("\n== Extended File Info ==\nType: \tDLL\n"), std::string::npos) << run.out;
}

TEST(CliInfo, JsonForAFileWithoutTypeLibrary) {
  const CliRun run = RunCli("info --json " + Quoted(KORVANE_FIXTURE_PLAIN_DLL));
  EXPECT_EQ(run.exitCode, 0);
  const Json document = Json::parse(run.out);
  EXPECT_EQ(document.begin().key(), "file");
  EXPECT_EQ(document["file"], KORVANE_FIXTURE_PLAIN_DLL);
  EXPECT_EQ(document["rows"][0], Json::parse(R"({"caption": "File Info", "text": "", "header": true})"));
  EXPECT_EQ(run.out.find("TypeLib Info"), std::string::npos);
}

TEST(CliInfo, ResourceSuffixAndUsageErrors) {
  const CliRun suffix = RunCli("info " + Quoted(std::string(KORVANE_FIXTURE_MULTI_DLL) + "/5"));
  EXPECT_EQ(suffix.exitCode, 0);
  EXPECT_NE(suffix.out.find("TypeLib Name:\tKorvaneBeta ()\n"), std::string::npos) << suffix.out;
  EXPECT_EQ(RunCli("info /nonexistent/korvane.dll").exitCode, 2);
  EXPECT_EQ(RunCli("info").exitCode, 2);
  EXPECT_EQ(RunCli("info a b").exitCode, 2);
}

TEST(CliCompare, RowsAndTheMessageForm) {
  const CliRun same = RunCli("compare " + Quoted(KORVANE_FIXTURE_ALPHA64_DLL) + " " +
                          Quoted(KORVANE_FIXTURE_ALPHA32_TLB));
  EXPECT_EQ(same.exitCode, 0);
  EXPECT_EQ(same.out.rfind("== Comparison Result ==\nThe Files Are Identically!\t\n== First File TypeLib Info ==\n", 0),
            0u)
      << same.out;
  const CliRun invalid = RunCli("compare --json " + Quoted(KORVANE_FIXTURE_ALPHA64_DLL) + " " +
                             Quoted(KORVANE_FIXTURE_PLAIN_DLL));
  EXPECT_EQ(invalid.exitCode, 0);
  Json document = Json::parse(invalid.out);
  // It names the registry it used (a store of the test's own here).
  EXPECT_EQ(document["registry"]["kind"], "store");
  document.erase("registry");
  EXPECT_EQ(document,
            Json::parse(R"({"files": [")" KORVANE_FIXTURE_ALPHA64_DLL R"(",
                                      ")" KORVANE_FIXTURE_PLAIN_DLL R"("],
                "rows": [{"caption": "One of the selected files are not a valid ActiveX files!",
                          "text": "", "header": false}]})"));
  EXPECT_EQ(RunCli("compare " + Quoted(KORVANE_FIXTURE_ALPHA64_DLL)).exitCode, 2);
  EXPECT_EQ(RunCli("compare " + Quoted(KORVANE_FIXTURE_ALPHA64_DLL) + " /nonexistent/x.dll").exitCode, 2);
}

TEST(CliInfo, AnUnreadableRegistryIsAnErrorThatNamesTheStore) {
  test::TempDir dir;
  const std::string junk = dir.Write("junk.db", std::string(4096, 'x'));
  for (const std::string& command :
       {"info " + Quoted(KORVANE_FIXTURE_ALPHA64_DLL),
        "compare " + Quoted(KORVANE_FIXTURE_ALPHA64_DLL) + " " + Quoted(KORVANE_FIXTURE_ALPHA32_TLB)}) {
    const CliRun run = RunCli(command, junk, true);
    EXPECT_EQ(run.exitCode, 1) << command;
    EXPECT_NE(run.out.find("the registry store '" + junk + "' is corrupt"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("Registered"), std::string::npos) << run.out;
  }
}

}  // namespace
}  // namespace korvane
