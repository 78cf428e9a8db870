// korvane-cli version: the command-line contract.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "common/Json.h"
#include "support/SpecialFiles.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

struct CliRun {
  int exitCode = -1;
  std::string out;
};

// A run longer than this is stopped (exit code 124) and counts as hanging.
constexpr int kCliSeconds = 20;

CliRun Cli(const std::string& arguments) {
  CliRun r;
  const std::string command = "timeout " + std::to_string(kCliSeconds) + " '" + KORVANE_CLI_PROGRAM + "' " +
                              arguments + " 2>/dev/null";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return r;
  char buffer[4096];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) r.out.append(buffer, got);
  const int status = ::pclose(pipe);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

std::string Fixture(const std::string& name) {
  return std::string("'") + KORVANE_VERSION_FIXTURES + "/" + name + "'";
}

TEST(VersionCli, TextLinesInPropertyOrder) {
  const CliRun r = Cli("version " + Fixture("full64.dll"));
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out,
            "CompanyName\tKorvane Test Fixtures\n"
            "FileDescription\tShows ProductName and Comments\n"
            "InternalName\tfull\n"
            "LegalCopyright\tCopyright (C) 2026 Nobody\n"
            "LegalTrademarks\t\n"
            "OriginalFileName\tfull.dll\n"
            "ProductName\tKorvane Fixture Product\n"
            "ProductVersion\t2.5 beta\n"
            "Comments\tends in a tab\t\n"
            "StrucVerEx\t1.0\n"
            "FileVerEx\t1.0.40000.0\n"
            "ProdVerEx\t2.5.0.7\n"
            "FileFlagsEx\tPreRel Private \n"
            "FileOSEx\tNT-Win32\n"
            "FileTypeEx\tDLL\n"
            "FileSubTypeEx\t\n");
}

TEST(VersionCli, JsonObjectKeyedByProperty) {
  const CliRun r = Cli("--json version " + Fixture("variant_drv1.dll"));
  EXPECT_EQ(r.exitCode, 0);
  // Members in the order of the text output.
  EXPECT_EQ(Json::parse(r.out), Json::parse(R"({"CompanyName": "Variant", "FileDescription": "",
      "InternalName": "", "LegalCopyright": "", "LegalTrademarks": "", "OriginalFileName": "",
      "ProductName": "", "ProductVersion": "", "Comments": "", "StrucVerEx": "1.0",
      "FileVerEx": "1.0.40000.0", "ProdVerEx": "65535.32768.0.1", "FileFlagsEx": "Debug ",
      "FileOSEx": "DOS-Win32", "FileTypeEx": "Driver", "FileSubTypeEx": "Printer drv"})"));
  // The option may also follow the file.
  EXPECT_EQ(Cli("version " + Fixture("variant_drv1.dll") + " --json").out, r.out);
}

// The file readers open paths of any length; the existence test before them must too.
TEST(VersionCli, ComponentDeeperThanThePathLimitIsFound) {
  test::TempDir dir;
  const test::DeepFile deep(dir.path().string(), "full64.dll",
                            test::ReadFile(std::string(KORVANE_VERSION_FIXTURES) + "/full64.dll"));
  ASSERT_GT(deep.path().size(), 6000u);
  const CliRun version = Cli("version '" + deep.path() + "'");
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_NE(version.out.find("CompanyName\tKorvane Test Fixtures\n"), std::string::npos) << version.out;
  const CliRun info = Cli("--json info '" + deep.path() + "'");
  EXPECT_EQ(info.exitCode, 0);
  EXPECT_NE(info.out.find("Korvane Test Fixtures"), std::string::npos) << info.out;
}

TEST(VersionCli, FileWithoutVersionResourceIsNotAnError) {
  const CliRun r = Cli("version " + Fixture("noversion.dll"));
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out.find("CompanyName\t\n"), 0u);
  EXPECT_NE(r.out.find("\nFileSubTypeEx\t\n"), std::string::npos);
}

TEST(VersionCli, UsageErrors) {
  EXPECT_EQ(Cli("version " + Fixture("no-such-file.dll")).exitCode, 2);
  EXPECT_EQ(Cli("version").exitCode, 2);
  EXPECT_EQ(Cli("version " + Fixture("full64.dll") + " " + Fixture("full64.dll")).exitCode, 2);
  EXPECT_EQ(Cli("version " + Fixture("no-such-file.dll")).out, "");
}

TEST(VersionCli, FifoNamedLikeAComponentGivesEmptyPropertiesAtOnce) {
  test::TempDir dir;
  const test::ScopedFifo fifo(dir.File("x.dll"));
  test::ScopedEnv registry("KORVANE_REGISTRY", dir.File("registry.db"));
  for (const char* command : {"version", "info"}) {
    SCOPED_TRACE(command);
    const CliRun r = Cli(std::string(command) + " '" + fifo.path() + "'");
    EXPECT_EQ(r.exitCode, 0) << "124: stopped after " << kCliSeconds << " seconds";
    EXPECT_NE(r.out.find("CompanyName"), std::string::npos);
  }
  EXPECT_EQ(Cli("version '" + fifo.path() + "'").out.find("CompanyName\t\n"), 0u);
}

}  // namespace
}  // namespace korvane
