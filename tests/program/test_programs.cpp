// korvane and korvane-cli started as processes, unattended.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "ProcessRunner.h"
#include "common/Json.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using test::ProcessResult;
using test::RunProcess;
using test::TempDir;

class ProgramTest : public ::testing::Test {
 protected:
  std::map<std::string, std::string> Env(const std::string& answer = "") const {
    std::map<std::string, std::string> env{
        {"KORVANE_UNATTENDED", "1"},
        {"QT_QPA_PLATFORM", "offscreen"},
        {"KORVANE_REGISTRY", dir.File("registry.db")},
        {"KORVANE_SYSTEM_DIR", dir.File("system32")},
        {"XDG_DATA_HOME", dir.File("data")},
        {"XDG_CONFIG_HOME", dir.File("config")},
        {"XDG_CONFIG_DIRS", dir.File("system-config")},
        {"KORVANE_TEST_TRACE", dir.File("trace.txt")},
    };
    if (!answer.empty()) env["KORVANE_ANSWER"] = answer;
    return env;
  }
  TempDir dir;
};

TEST_F(ProgramTest, RegisterSwitchConfirmsRegistersAndEndsWithoutAWindow) {
  ProcessResult r = RunProcess(KORVANE_GUI_EXE, {"-r", KORVANE_COMP_OK}, Env(), 60);
  ASSERT_FALSE(r.timedOut) << "the main window must not be shown";
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out,
            "MSGBOX\tquestion\tKorvane - Registering ActiveX\tAre You Sure?\tyes\n"
            "MSGBOX\tinformation\tKorvane - Registering\tActiveX Component registration successful!\tok\n");
  EXPECT_EQ(test::ReadFile(dir.File("trace.txt")), "register\n");
}

TEST_F(ProgramTest, LoadFailureBoxGivesTheReasonAsASecondParagraph) {
  ProcessResult r = RunProcess(KORVANE_GUI_EXE, {"-r", dir.File("none.dll")}, Env(), 60);
  ASSERT_FALSE(r.timedOut);
  EXPECT_NE(r.out.find("MSGBOX\terror\tKorvane - Registering\t"
                       "Selected file could not be loaded into memory!\\n\\nThe file does not exist.\tok\n"),
            std::string::npos)
      << r.out;
}

TEST_F(ProgramTest, AnsweringNoRegistersNothing) {
  ProcessResult r = RunProcess(KORVANE_GUI_EXE, {"-u", KORVANE_COMP_OK}, Env("no"), 60);
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.out, "MSGBOX\tquestion\tKorvane - UnRegistering ActiveX\tAre You Sure?\tno\n");
  EXPECT_EQ(test::ReadFile(dir.File("trace.txt")), "");
}

TEST_F(ProgramTest, PathWithBlanksArrivesWhole) {
  std::string lib = dir.File("a b/comp.so");
  std::filesystem::create_directories(dir.path() / "a b");
  std::filesystem::copy_file(KORVANE_COMP_OK, lib);
  ProcessResult r = RunProcess(KORVANE_GUI_EXE, {"-r", lib}, Env(), 60);
  ASSERT_FALSE(r.timedOut);
  EXPECT_NE(r.out.find("ActiveX Component registration successful!"), std::string::npos) << r.out;
}

TEST_F(ProgramTest, CliRegisterReportsOutcomesAsExitCodes) {
  ProcessResult ok = RunProcess(KORVANE_CLI_EXE, {"register", KORVANE_COMP_OK}, Env(), 60);
  EXPECT_EQ(ok.exitCode, 0);
  EXPECT_EQ(ok.out, "ActiveX Component registration successful!\n");

  ProcessResult missing = RunProcess(KORVANE_CLI_EXE, {"register", dir.File("none.dll")}, Env(), 60);
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.out, "Selected file could not be loaded into memory!\nThe file does not exist.\n");

  ProcessResult empty = RunProcess(KORVANE_CLI_EXE, {"unregister", ""}, Env(), 60);
  EXPECT_EQ(empty.exitCode, 7);
  EXPECT_EQ(empty.out, "No file provided!\n");

  ProcessResult plain =
      RunProcess(KORVANE_CLI_EXE, {"unregister", KORVANE_COMP_PLAIN, "--json"}, Env(), 60);
  EXPECT_EQ(plain.exitCode, 2);
  const Json plainJson = Json::parse(plain.out);
  EXPECT_EQ(plainJson["outcome"], 2);
  EXPECT_EQ(plainJson["message"], "Selected file is not a valid ActiveX!");
  EXPECT_TRUE(plainJson["diagnosis"]["kind"].is_string()) << plain.out;
  EXPECT_TRUE(plainJson["diagnosis"]["reason"].is_string()) << plain.out;
  // The JSON names the registry the registration used.
  EXPECT_EQ(plainJson["registry"], Json({{"kind", "store"}, {"location", dir.File("registry.db")}}));

  ProcessResult failing = RunProcess(KORVANE_CLI_EXE, {"register", KORVANE_COMP_FAIL}, Env(), 60);
  EXPECT_EQ(failing.exitCode, 3);
  ProcessResult failingU = RunProcess(KORVANE_CLI_EXE, {"unregister", KORVANE_COMP_FAIL}, Env(), 60);
  EXPECT_EQ(failingU.exitCode, 6);
}

// After reg only --registry stays an option, yet a help option in the place
// of the reg action still asks for the help.
TEST_F(ProgramTest, CliHelpAndUsageErrors) {
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    bool help;
  };
  const Case cases[] = {
      {{}, 2, true},
      {{"nonsense"}, 2, false},
      {{"register"}, 2, false},
      {{"--help"}, 0, true},
      {{"info", "-h"}, 0, true},
      {{"reg", "--help"}, 0, true},
      {{"reg", "-h"}, 0, true},
      {{"reg", "query", "--help"}, 2, false},
      {{"reg", "add", "HKCU\\Software\\T", "/v", "--json", "/d", "--help"}, 0, false},
  };
  for (const Case& c : cases) {
    const std::string args = testing::PrintToString(c.args);
    ProcessResult r = RunProcess(KORVANE_CLI_EXE, c.args, Env(), 30);
    EXPECT_EQ(r.exitCode, c.exitCode) << args;
    EXPECT_EQ(r.out.rfind("usage: korvane-cli", 0) == 0, c.help) << args << r.out;
    if (c.help) {
      EXPECT_NE(r.out.find("  reg query KEY"), std::string::npos) << args;
    }
  }
}

TEST_F(ProgramTest, CliRegistryOptionNamesTheStoreAfterRegToo) {
  const std::string store = dir.File("other.db");
  const std::string key = "HKCU\\Software\\Korvane Store Test";
  ASSERT_EQ(RunProcess(KORVANE_CLI_EXE, {"reg", "add", key, "--registry", store}, Env(), 30).exitCode, 0);
  EXPECT_TRUE(std::filesystem::exists(store));
  EXPECT_EQ(RunProcess(KORVANE_CLI_EXE, {"--registry=" + store, "reg", "query", key}, Env(), 30).exitCode, 0);
  EXPECT_EQ(RunProcess(KORVANE_CLI_EXE, {"reg", "query", key}, Env(), 30).exitCode, 1) << "the default store";
}

// WINEPREFIX left in a shell naming a folder that is no Wine prefix (yet):
// the commands that never read the registry run as they do without it, the
// ones that read it refuse.
TEST_F(ProgramTest, CliOnlyRegistryCommandsRefuseAFolderThatIsNoPrefix) {
  std::filesystem::create_directories(dir.path() / "not-a-prefix");
  std::filesystem::create_directories(dir.path() / "tree");
  struct Case {
    std::vector<std::string> args;
    bool usesRegistry;
  };
  const Case cases[] = {
      {{"version", KORVANE_COMP_OK}, false},
      {{"idl", KORVANE_FIXTURE_MULTI_DLL "/5"}, false},
      {{"why", KORVANE_COMP_OK}, false},
      {{"deps", KORVANE_COMP_OK}, false},
      {{"report", dir.File("tree"), "--output", dir.File("out.txt")}, false},
      {{"info", KORVANE_COMP_OK}, true},
      {{"reg", "query", "HKCR\\.dll"}, true},
  };
  const std::string prefixes[] = {dir.File("not-a-prefix"), dir.File("missing")};
  for (const std::string& prefix : prefixes) {
    for (const Case& c : cases) {
      const std::string what = testing::PrintToString(c.args) + " in " + prefix;
      std::map<std::string, std::string> env = Env();
      env["KORVANE_REGISTRY"] = "";
      env["WINEPREFIX"] = prefix;
      const ProcessResult r = RunProcess(KORVANE_CLI_EXE, c.args, env, 60);
      if (c.usesRegistry) {
        EXPECT_EQ(r.exitCode, 2) << what;
        EXPECT_NE(r.err.find(prefix), std::string::npos) << what << ": " << r.err;
        continue;
      }
      env["WINEPREFIX"] = "";
      const ProcessResult without = RunProcess(KORVANE_CLI_EXE, c.args, env, 60);
      EXPECT_EQ(r.exitCode, without.exitCode) << what << ": " << r.err;
      EXPECT_EQ(r.out, without.out) << what;
      EXPECT_EQ(r.err.find("Wine prefix"), std::string::npos) << what << ": " << r.err;
    }
  }
}

// Both programs report the one version the build holds.
TEST_F(ProgramTest, BothProgramsPrintTheVersionOfTheBuild) {
  const std::pair<const char*, const char*> programs[] = {{KORVANE_GUI_EXE, "korvane"},
                                                          {KORVANE_CLI_EXE, "korvane-cli"}};
  for (const auto& [program, name] : programs) {
    ProcessResult r = RunProcess(program, {"--version"}, Env(), 30);
    ASSERT_FALSE(r.timedOut) << name;
    EXPECT_EQ(r.exitCode, 0) << name;
    EXPECT_EQ(r.out, std::string(name) + " " KORVANE_PROJECT_VERSION "\n");
  }
}

// A file name may hold any bytes on Linux; the JSON output stays valid UTF-8,
// each byte that is not UTF-8 written as U+FFFD.
TEST_F(ProgramTest, CliJsonOfNonUtf8FileNamesParses) {
  const std::string dll = dir.File("bad\xff" "name.dll");
  std::filesystem::copy_file(KORVANE_COMP_OK, dll);
  const std::string server = dir.Write("bad\xff" "server.exe", "#!/bin/sh\nexit 0\n");
  ::chmod(server.c_str(), 0755);
  const std::string shownDll = dir.File("bad\uFFFDname.dll");
  const std::string shownServer = dir.File("bad\uFFFDserver.exe");
  struct Case {
    std::vector<std::string> args;
    const char* member;  // a JSON pointer
    std::string expected;
  };
  const Case cases[] = {
      {{"--json", "info", dll}, "/file", shownDll},
      {{"--json", "compare", dll, dll}, "/files/1", shownDll},
      {{"--json", "register", server}, "/commandLine", shownServer + " /regserver"},
      {{"--json", "version", dll}, "/FileSubTypeEx", ""},
  };
  for (const Case& c : cases) {
    ProcessResult r = RunProcess(KORVANE_CLI_EXE, c.args, Env(), 60);
    EXPECT_EQ(r.exitCode, 0) << c.args[1];
    const Json document = Json::parse(r.out, nullptr, false);
    ASSERT_FALSE(document.is_discarded()) << c.args[1] << ": " << r.out;
    EXPECT_EQ(document.value(Json::json_pointer(c.member), std::string("(missing)")), c.expected)
        << c.args[1];
  }
}

TEST_F(ProgramTest, HelpAndVersionAloneAreAnsweredWithoutAWindow) {
  std::map<std::string, std::string> env = Env();
  env.erase("QT_QPA_PLATFORM");  // no display is needed for these two
  ProcessResult help = RunProcess(KORVANE_GUI_EXE, {"--help"}, env, 30);
  ASSERT_FALSE(help.timedOut);
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.out.rfind("usage: korvane [-r \"FILE\"", 0), 0u) << help.out;
  for (const char* line : {"\n  -u \"FILE\" ", "\n  -f \"FOLDER\" ", "\n  -s ", "\n  --version "}) {
    EXPECT_NE(help.out.find(line), std::string::npos) << line;
  }
  ProcessResult version = RunProcess(KORVANE_GUI_EXE, {"--version"}, env, 30);
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, "korvane " KORVANE_PROJECT_VERSION "\n");

  // With anything beside it the word is part of a file name: the window opens.
  env = Env();
  env["KORVANE_EXIT_AFTER_SHOW"] = "1";
  ProcessResult path = RunProcess(KORVANE_GUI_EXE, {"--help", "x.dll"}, env, 60);
  ASSERT_FALSE(path.timedOut);
  EXPECT_EQ(path.exitCode, 0);
  EXPECT_EQ(path.out.find("usage"), std::string::npos);
}

// The entry point runs 15 s; the command returns after the 10 s wait and the
// process ends at once without waiting for the worker.
TEST_F(ProgramTest, CliTimedOutRegistrationEndsAtOnce) {
  ProcessResult r = RunProcess(KORVANE_CLI_EXE, {"register", KORVANE_COMP_SLOW}, Env(), 14);
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_EQ(r.out, "ActiveX Component registration failed!\n");
}

}  // namespace
}  // namespace korvane

namespace korvane {
namespace {

TEST_F(ProgramTest, ShellSwitchWritesTheVerbsThatTheCliReportsAsEnabled) {
  ProcessResult before = RunProcess(KORVANE_CLI_EXE, {"verbs", "status"}, Env(), 30);
  EXPECT_EQ(before.out, "disabled\n");
  ProcessResult s = RunProcess(KORVANE_GUI_EXE, {"-s"}, Env(), 60);
  ASSERT_FALSE(s.timedOut);
  EXPECT_EQ(s.exitCode, 0);
  EXPECT_EQ(s.out, "");  // nothing is shown
  ProcessResult after = RunProcess(KORVANE_CLI_EXE, {"verbs", "status"}, Env(), 30);
  EXPECT_EQ(after.out, "enabled\n");
  ProcessResult query =
      RunProcess(KORVANE_CLI_EXE, {"reg", "query", "HKCR\\dllfile\\shell\\Register\\command"}, Env(), 30);
  EXPECT_EQ(query.exitCode, 0);
  std::string exe = std::filesystem::path(KORVANE_GUI_EXE).string();
  EXPECT_NE(query.out.find("REG_SZ    " + exe + " -r \"%1\""), std::string::npos) << query.out;
}

TEST_F(ProgramTest, FirstStartRecordsTheSettingAndTheSecondSkipsIt) {
  const std::string key = "HKCU\\Software\\VB and VBA Program Settings\\Korvane\\General";
  EXPECT_EQ(RunProcess(KORVANE_CLI_EXE, {"reg", "query", key}, Env(), 30).exitCode, 1);
  // Components already in the system folder are registered again on a first start.
  std::filesystem::create_directories(dir.File("system32"));
  for (const char* name : {"prjXTab.ocx", "MSFLXGRD.OCX", "comdlg32.ocx", "TLBINF32.DLL"}) {
    std::filesystem::copy_file(KORVANE_COMP_OK, dir.File(std::string("system32/") + name));
  }
  ProcessResult first = RunProcess(KORVANE_GUI_EXE, {"-u", KORVANE_COMP_OK}, Env("no"), 120);
  ASSERT_FALSE(first.timedOut);
  EXPECT_EQ(test::ReadFile(dir.File("trace.txt")), "register\nregister\nregister\nregister\n");
  ProcessResult query = RunProcess(KORVANE_CLI_EXE, {"reg", "query", key, "/v", "SelfInstall"}, Env(), 30);
  EXPECT_EQ(query.exitCode, 0);
  EXPECT_NE(query.out.find("SelfInstall    REG_SZ    true"), std::string::npos) << query.out;
  // The second start skips the step: nothing is registered again.
  ProcessResult second = RunProcess(KORVANE_GUI_EXE, {"-u", KORVANE_COMP_OK}, Env("no"), 60);
  ASSERT_FALSE(second.timedOut);
  EXPECT_EQ(test::ReadFile(dir.File("trace.txt")), "register\nregister\nregister\nregister\n");
}

}  // namespace
}  // namespace korvane
