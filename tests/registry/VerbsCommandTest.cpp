// korvane-cli verbs enable|disable|status, run as a separate program on the
// test's own store.

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include "StoreFixture.h"
#include "common/Json.h"

namespace korvane::test {
namespace {

using namespace korvane::platform;

struct CliRun {
  int exitCode = -1;
  std::string out;
};

#ifdef KORVANE_CLI
CliRun Cli(const std::string& arguments) {
  CliRun run;
  const std::string command = "'" KORVANE_CLI "' " + arguments + " 2>/dev/null";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[256];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
  const int status = ::pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}
#endif

std::string CommandOf(const std::string& path) {
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
  if (Get(kHKeyClassesRoot, path, "", &type, &data) != 0) return "<none>";
  return std::string(data.begin(), data.end());
}

class VerbsCommand : public FreshStore {
 protected:
  void SetUp() override {
#ifndef KORVANE_CLI
    GTEST_SKIP() << "korvane-cli is not part of this build";
#endif
  }
};

#ifdef KORVANE_CLI

TEST_F(VerbsCommand, EnableStatusDisableRoundTrip) {
  CliRun status = Cli("verbs status");
  EXPECT_EQ(status.exitCode, 0);
  EXPECT_EQ(status.out, "disabled\n");

  EXPECT_EQ(Cli("verbs enable").exitCode, 0);
  status = Cli("verbs status");
  EXPECT_EQ(status.exitCode, 0);
  EXPECT_EQ(status.out, "enabled\n");
  // By default the verbs start the desktop program beside korvane-cli.
  const std::string program =
      (std::filesystem::path(KORVANE_CLI).parent_path() / "korvane").string();
  EXPECT_EQ(CommandOf("dllfile\\shell\\Register\\command"), program + " -r \"%1\"" + '\0');
  EXPECT_EQ(CommandOf("Folder\\shell\\ActiveX Report\\command"), program + " -f \"%1\"" + '\0');

  EXPECT_EQ(Cli("verbs disable").exitCode, 0);
  EXPECT_EQ(Cli("verbs status").out, "disabled\n");
  EXPECT_FALSE(Exists(kHKeyClassesRoot, "dllfile\\shell\\Register"));
  EXPECT_FALSE(Exists(kHKeyClassesRoot, "Folder\\shell\\ActiveX Report"));
  EXPECT_EQ(Json::parse(Cli("--json verbs status").out),
            Json({{"status", "disabled"}, {"registry", {{"kind", "store"}, {"location", StoreFile()}}}}));
}

TEST_F(VerbsCommand, ExeNamesTheProgramTheVerbsStart) {
  EXPECT_EQ(Cli("verbs enable --exe '/opt/a b/korvane'").exitCode, 0);
  EXPECT_EQ(CommandOf("ocxfile\\shell\\UnRegister\\command"),
            std::string("/opt/a b/korvane -u \"%1\"") + '\0');
  EXPECT_EQ(Cli("verbs --exe=/x/korvane enable").exitCode, 0);
  EXPECT_EQ(CommandOf("exefile\\shell\\Korvane\\command"), std::string("/x/korvane \"%1\"") + '\0');
}

TEST_F(VerbsCommand, AFileManagerFileThatCannotBeChangedFailsTheCommand) {
  const std::string list = "<actions><action></actions>";
  const std::string uca = Dir().Write("xdg-config/Thunar/uca.xml", list);
  EXPECT_EQ(Cli("verbs enable").exitCode, 1);
  EXPECT_EQ(Cli("verbs status").out, "disabled\n");
  EXPECT_EQ(ReadFile(uca), list);
  EXPECT_EQ(Cli("verbs disable").exitCode, 1);
}

TEST_F(VerbsCommand, WrongArgumentsAreUsageErrors) {
  EXPECT_EQ(Cli("verbs").exitCode, 2);
  EXPECT_EQ(Cli("verbs toggle").exitCode, 2);
  EXPECT_EQ(Cli("verbs status extra").exitCode, 2);
  EXPECT_EQ(Cli("verbs enable --exe").exitCode, 2);
  EXPECT_FALSE(Exists(kHKeyClassesRoot, "dllfile\\shell"));
}

#endif

}  // namespace
}  // namespace korvane::test
