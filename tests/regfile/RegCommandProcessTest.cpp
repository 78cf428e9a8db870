// korvane-cli reg run as a real process against a store file of its own
// (Linux: the store file is what --registry names).

#ifndef _WIN32

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace korvane {
namespace {

struct CliRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

std::string ShellQuoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) {
    if (c == '\'') {
      q += "'\\''";
    } else {
      q.push_back(c);
    }
  }
  return q + "'";
}

class RegProcess : public ::testing::Test {
 protected:
  CliRun Cli(const std::vector<std::string>& args) {
    std::string command = ShellQuoted(KORVANE_CLI_PATH) + " --registry " + ShellQuoted(dir_.File("registry.db"));
    for (const std::string& a : args) command += " " + ShellQuoted(a);
    const std::string errFile = dir_.File("stderr.txt");
    command += " 2>" + ShellQuoted(errFile);
    CliRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
    int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = test::ReadFile(errFile);
    return run;
  }

  test::TempDir dir_;
};

TEST_F(RegProcess, AddQueryExportDeleteImport) {
  EXPECT_EQ(Cli({"reg", "add", "HKCU\\Software\\Cli Test", "/v", "Name", "/d", "hello world"}).exitCode, 0);
  EXPECT_EQ(Cli({"reg", "add", "HKCU\\Software\\Cli Test", "/v", "N", "/t", "REG_DWORD", "/d", "0x20", "/f"}).exitCode, 0);
  EXPECT_EQ(Cli({"reg", "add", "HKEY_CURRENT_USER\\Software\\Cli Test\\Sub", "/ve", "/d", "x"}).exitCode, 0);

  CliRun q = Cli({"reg", "query", "HKCU\\Software\\Cli Test"});
  EXPECT_EQ(q.exitCode, 0) << q.err;
  EXPECT_EQ(q.out,
            "\nHKEY_CURRENT_USER\\Software\\Cli Test\n"
            "    Name    REG_SZ    hello world\n"
            "    N    REG_DWORD    0x20\n"
            "\n"
            "HKEY_CURRENT_USER\\Software\\Cli Test\\Sub\n");

  const std::string file = dir_.File("export.reg");
  CliRun e = Cli({"reg", "export", "HKCU\\Software\\Cli Test", file});
  ASSERT_EQ(e.exitCode, 0) << e.err;
  EXPECT_EQ(test::ReadFile(file).substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(Cli({"reg", "export", "HKCU\\Software\\Cli Test", file}).exitCode, 1) << "no overwrite without /y";
  EXPECT_EQ(Cli({"reg", "export", "HKCU\\Software\\Cli Test", file, "/y"}).exitCode, 0);

  EXPECT_EQ(Cli({"reg", "delete", "HKCU\\Software\\Cli Test"}).exitCode, 0);
  EXPECT_EQ(Cli({"reg", "query", "HKCU\\Software\\Cli Test"}).exitCode, 1);

  CliRun i = Cli({"reg", "import", file});
  EXPECT_EQ(i.exitCode, 0) << i.err;
  CliRun again = Cli({"reg", "query", "HKCU\\Software\\Cli Test", "/s"});
  EXPECT_EQ(again.exitCode, 0);
  EXPECT_NE(again.out.find("    Name    REG_SZ    hello world\n"), std::string::npos) << again.out;
  EXPECT_NE(again.out.find("HKEY_CURRENT_USER\\Software\\Cli Test\\Sub\n    (Default)    REG_SZ    x\n"),
            std::string::npos)
      << again.out;
}

TEST_F(RegProcess, ExitCodesForMissingThingsAndMistakes) {
  EXPECT_EQ(Cli({"reg", "add", "HKCU\\Software\\T", "/v", "a", "/d", "1"}).exitCode, 0);
  EXPECT_EQ(Cli({"reg", "query", "HKCU\\Software\\T", "/v", "b"}).exitCode, 1);
  EXPECT_EQ(Cli({"reg", "delete", "HKCU\\Software\\T", "/v", "b", "/f"}).exitCode, 1);
  EXPECT_EQ(Cli({"reg", "delete", "HKCU\\Software\\Absent"}).exitCode, 1);
  EXPECT_EQ(Cli({"reg", "delete", "HKCU\\Software\\T", "/va"}).exitCode, 0);
  EXPECT_EQ(Cli({"reg", "query", "HKCU\\Software\\T", "/v", "a"}).exitCode, 1);
  EXPECT_EQ(Cli({"reg", "delete", "HKCU"}).exitCode, 1);

  CliRun usage = Cli({"reg", "add", "HKXX\\Software", "/v", "a"});
  EXPECT_EQ(usage.exitCode, 2);
  EXPECT_NE(usage.err.find("HKXX"), std::string::npos);
  EXPECT_EQ(Cli({"reg", "add", "HKCU\\x", "/v", "a", "/t", "REG_DWORD", "/d", "nope"}).exitCode, 2);
  EXPECT_EQ(Cli({"reg", "frobnicate"}).exitCode, 2);
  EXPECT_EQ(Cli({"reg", "import", dir_.File("absent.reg")}).exitCode, 2);

  const std::string bad = dir_.Write("bad.reg",
                                     "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\New]\n"
                                     "\"x\"=dword:1\n\"y\"=hex:0z\n");
  CliRun malformed = Cli({"reg", "import", bad});
  EXPECT_EQ(malformed.exitCode, 1);
  EXPECT_NE(malformed.err.find("line 5: "), std::string::npos) << malformed.err;
  EXPECT_EQ(Cli({"reg", "query", "HKCU\\Software\\New"}).exitCode, 1) << "nothing of the bad file applied";
}

}  // namespace
}  // namespace korvane

#endif  // _WIN32
