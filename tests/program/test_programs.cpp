// korvane and korvane-cli started as processes, unattended.

#include <gtest/gtest.h>

#include "ProcessRunner.h"
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
  EXPECT_EQ(missing.out, "Selected file could not be loaded into memory!\n");

  ProcessResult empty = RunProcess(KORVANE_CLI_EXE, {"unregister", ""}, Env(), 60);
  EXPECT_EQ(empty.exitCode, 7);
  EXPECT_EQ(empty.out, "No file provided!\n");

  ProcessResult plain =
      RunProcess(KORVANE_CLI_EXE, {"unregister", KORVANE_COMP_PLAIN, "--json"}, Env(), 60);
  EXPECT_EQ(plain.exitCode, 2);
  // The JSON names the registry the registration used.
  EXPECT_EQ(plain.out, "{\"outcome\": 2, \"message\": \"Selected file is not a valid ActiveX!\", "
                       "\"registry\": {\"kind\": \"store\", \"location\": \"" + dir.File("registry.db") + "\"}}\n");

  ProcessResult failing = RunProcess(KORVANE_CLI_EXE, {"register", KORVANE_COMP_FAIL}, Env(), 60);
  EXPECT_EQ(failing.exitCode, 3);
  ProcessResult failingU = RunProcess(KORVANE_CLI_EXE, {"unregister", KORVANE_COMP_FAIL}, Env(), 60);
  EXPECT_EQ(failingU.exitCode, 6);
}

TEST_F(ProgramTest, CliUsageErrors) {
  EXPECT_EQ(RunProcess(KORVANE_CLI_EXE, {}, Env(), 30).exitCode, 2);
  EXPECT_EQ(RunProcess(KORVANE_CLI_EXE, {"nonsense"}, Env(), 30).exitCode, 2);
  EXPECT_EQ(RunProcess(KORVANE_CLI_EXE, {"register"}, Env(), 30).exitCode, 2);
  ProcessResult help = RunProcess(KORVANE_CLI_EXE, {"--help"}, Env(), 30);
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("register FILE"), std::string::npos);
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
