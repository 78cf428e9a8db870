// Start-up and dispatch, with recorded windows and message boxes and the real
// registrar and component libraries.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "app/basMain.h"
#include "common/UserPort.h"
#include "install/Settings.h"
#include "platform/Registry.h"
#include "registry/clsRegistry.h"
#include "support/RecordingUserPort.h"
#include "support/TempDir.h"
#include "support/UserFolders.h"
#include "FakeWindowHost.h"

namespace korvane {
namespace {

using test::FakeWindowHost;
using test::RecordingUserPort;
using test::TempDir;

class BasMainTest : public ::testing::Test {
 protected:
  BasMainTest() {
    app.SetAppPathForTesting("/opt/korvane/");
    // Not the first start: the runtime components count as installed.
    SaveSetting("Korvane", "General", "SelfInstall", "true");
  }
  TempDir dir;
  test::ScopedEnv trace{"KORVANE_TEST_TRACE", dir.File("trace.txt")};
  test::ScopedEnv registry{"KORVANE_REGISTRY", dir.File("registry.db")};
  test::ScopedEnv system{"KORVANE_SYSTEM_DIR", dir.File("system32")};
  test::ScopedUserFolders folders{dir.path().string()};
  RecordingUserPort port;
  FakeWindowHost windows;
  basMain app{windows};
};

TEST_F(BasMainTest, EmptyArgumentTextShowsTheMainWindowOnItsFirstTab) {
  app.Main("");
  EXPECT_TRUE(port.boxes.empty());
  EXPECT_EQ(windows.calls, (std::vector<std::string>{"LoadMain", "LoadDisplay", "Connect",
                                                     "SetActiveTab 0", "ShowMain"}));
  EXPECT_FALSE(app.Ended());
  EXPECT_GE(port.doEventsCalls, 1);
}

TEST_F(BasMainTest, RegisterSwitchAsksThenRegistersAndEnds) {
  port.AnswerNext(kIdYes);
  app.Main(std::string("-r \"") + KORVANE_COMP_OK + "\"");
  ASSERT_EQ(port.boxes.size(), 2u);
  EXPECT_EQ(port.boxes[0].text, "Are You Sure?");
  EXPECT_EQ(port.boxes[0].title, "Korvane - Registering ActiveX");
  EXPECT_EQ(port.boxes[0].flags, kMbYesNo + kMbIconQuestion);
  EXPECT_EQ(port.boxes[1].text, "ActiveX Component registration successful!");
  EXPECT_EQ(test::ReadFile(dir.File("trace.txt")), "register\n");
  EXPECT_TRUE(app.Ended());
  EXPECT_FALSE(windows.Called("ShowMain"));
  // Shut-down: the main window's unload handler does the rest, once.
  EXPECT_EQ(std::count(windows.calls.begin(), windows.calls.end(), "EndProcess"), 1);
  EXPECT_TRUE(windows.Called("UnloadDisplay"));
}

TEST_F(BasMainTest, NoAnswerEndsWithoutRegistering) {
  port.AnswerNext(kIdNo);
  app.Main(std::string("-u \"") + KORVANE_COMP_OK + "\"");
  ASSERT_EQ(port.boxes.size(), 1u);
  EXPECT_EQ(port.boxes[0].title, "Korvane - UnRegistering ActiveX");
  EXPECT_EQ(test::ReadFile(dir.File("trace.txt")), "");
  EXPECT_TRUE(app.Ended());
  EXPECT_FALSE(windows.Called("ShowMain"));
}

TEST_F(BasMainTest, SwitchWithoutPathReportsNoFile) {
  port.AnswerNext(kIdYes);
  app.Main("-r");
  ASSERT_EQ(port.boxes.size(), 2u);
  EXPECT_EQ(port.boxes[1].text, "No file provided!");
  EXPECT_EQ(port.boxes[1].title, "Korvane - Registering");
  EXPECT_TRUE(app.Ended());
}

TEST_F(BasMainTest, RelativePathIsTakenFromTheProgramFolder) {
  port.AnswerNext(kIdYes);
  app.Main("-u x.dll");
  ASSERT_EQ(port.boxes.size(), 2u);
  // /opt/korvane/x.dll does not exist: it could not be loaded.
  EXPECT_EQ(port.boxes[1].text, "Selected file could not be loaded into memory!\n\nThe file does not exist.");
}

TEST_F(BasMainTest, ReportSwitchAsksWithItsOwnTitle) {
  port.AnswerNext(kIdNo);
  app.Main("-f \"" + dir.path().string() + "\"");
  ASSERT_EQ(port.boxes.size(), 1u);
  EXPECT_EQ(port.boxes[0].title, "Korvane - ActiveX Report");
  EXPECT_TRUE(app.Ended());
}

TEST_F(BasMainTest, ReportSwitchWritesTheReportInTheCurrentFolderAndEnds) {
  std::filesystem::create_directories(dir.path() / "tree" / "sub");
  std::filesystem::copy_file(KORVANE_COMP_OK, dir.path() / "tree" / "sub" / "b.DLL");
  dir.Write("tree/notes.txt", "no component");
  dir.Write("tree/a.ocx", "not a real component");
  std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  port.AnswerNext(kIdYes);
  app.Main("-f \"" + dir.File("tree") + "\"");
  std::filesystem::current_path(previous);
  EXPECT_TRUE(app.Ended());
  std::string report = test::ReadFile(dir.File("output.txt"));
  EXPECT_EQ(report.rfind("File: " + dir.File("tree/sub/b.DLL") + "\r\n\r\nCompany Name: \r\n", 0), 0u)
      << report;
  EXPECT_NE(report.find("File: " + dir.File("tree/a.ocx") + "\r\n"), std::string::npos);
  EXPECT_EQ(report.find("notes.txt"), std::string::npos);
  EXPECT_EQ(windows.progressCalls.front(), "Show");
}

TEST_F(BasMainTest, ShellVerbSwitchWritesTheFileVerbsAsksNothingAndEnds) {
  app.Main("-s");
  EXPECT_TRUE(port.boxes.empty());
  EXPECT_TRUE(app.Ended());
  EXPECT_FALSE(windows.Called("ShowMain"));

  clsRegistry reg;
  reg.SetClassKey(kClassesRoot);
  const std::pair<const char*, const char*> expected[] = {
      {"dllfile\\shell\\Register\\command", "/opt/korvane/korvane -r \"%1\""},
      {"dllfile\\shell\\UnRegister\\command", "/opt/korvane/korvane -u \"%1\""},
      {"dllfile\\shell\\Korvane\\command", "/opt/korvane/korvane \"%1\""},
      {"exefile\\shell\\Register\\command", "/opt/korvane/korvane -r \"%1\""},
      {"ocxfile\\shell\\Korvane\\command", "/opt/korvane/korvane \"%1\""},
  };
  for (const auto& [key, command] : expected) {
    reg.SetSectionKey(key);
    EXPECT_EQ(RegValueToString(reg.Value()), command) << key;
  }
  // No folder verb from the switch.
  reg.SetSectionKey("Folder\\shell\\ActiveX Report");
  EXPECT_FALSE(reg.KeyExists());
}

TEST_F(BasMainTest, PlainPathIsShownInTheInfoGridAndStartUpGoesOn) {
  app.Main("\"/data/a b/x.dll\"");
  EXPECT_TRUE(port.boxes.empty());
  EXPECT_EQ(windows.fileText, "/data/a b/x.dll");
  EXPECT_EQ(app.oActiveX()->FileName(), "/data/a b/x.dll");
  // No such file, so no type library: the grid starts with the file rows.
  ASSERT_GT(windows.gridInfo.Rows(), 0);
  EXPECT_EQ(windows.gridInfo.Cell(0, 0).text, "File Info");
  EXPECT_EQ(windows.gridInfo.Cell(1, 0).text, "CompanyName: ");
  EXPECT_TRUE(windows.Called("ShowMain"));
  EXPECT_FALSE(app.Ended());
}

TEST_F(BasMainTest, FirstStartRecordsTheSelfInstallSetting) {
  SaveSetting("Korvane", "General", "SelfInstall", "false");
  app.Main("");
  EXPECT_EQ(GetSetting("Korvane", "General", "SelfInstall", ""), "true");
  EXPECT_TRUE(windows.Called("ShowMain"));
}

TEST_F(BasMainTest, CapitalSwitchOpensTheWindowWithThePath) {
  app.Main("-R \"C:\\x.dll\"");
  EXPECT_TRUE(port.boxes.empty());
  EXPECT_EQ(windows.fileText, "C:\\x.dll");
  EXPECT_TRUE(windows.Called("ShowMain"));
}

TEST_F(BasMainTest, RelativePlainPathGetsTheProgramFolder) {
  app.Main("x.ocx");
  EXPECT_EQ(windows.fileText, "/opt/korvane/x.ocx");
}

// The windows reach the program only through what start-up hands them: the
// shared objects, the program folder and the shut-down, taken back before the
// objects are released.
TEST_F(BasMainTest, TheWindowsAreConnectedToTheProgramUntilItEnds) {
  app.Main("");
  EXPECT_EQ(windows.link.registrator, app.oRegistrator());
  EXPECT_EQ(windows.link.inspector, app.oActiveX());
  EXPECT_EQ(windows.link.appPath, app.AppPath());
  EXPECT_EQ(app.AppPath().rfind("/opt/korvane/", 0), 0u);
  const std::function<void()> unloaded = windows.link.mainWindowUnloaded;
  ASSERT_TRUE(unloaded);
  unloaded();  // the main window's unload handler
  EXPECT_TRUE(app.Ended());
  EXPECT_EQ(windows.link.registrator, nullptr);
  EXPECT_EQ(windows.link.inspector, nullptr);
  EXPECT_FALSE(windows.link.mainWindowUnloaded);
  const auto at = [&](const char* call) {
    return std::find(windows.calls.begin(), windows.calls.end(), call) - windows.calls.begin();
  };
  EXPECT_LT(at("Disconnect"), at("EndProcess"));
  EXPECT_EQ(std::count(windows.calls.begin(), windows.calls.end(), "EndProcess"), 1);
}

TEST_F(BasMainTest, EndApplicationFromTheWindowEndsOnce) {
  app.Main("");
  app.EndApplication(true);
  app.EndApplication(true);
  EXPECT_EQ(std::count(windows.calls.begin(), windows.calls.end(), "EndProcess"), 1);
  EXPECT_FALSE(windows.Called("UnloadMain"));
}

TEST(ShowErrorTest, TextNumberAndDescriptionInOneOkBox) {
  RecordingUserPort port;
  ShowError("CreateReport", 75, "Path/File access error");
  ASSERT_EQ(port.boxes.size(), 1u);
  EXPECT_EQ(port.boxes[0].text, "CreateReport: error 75: Path/File access error");
  EXPECT_EQ(port.boxes[0].flags, kMbOkOnly);
  EXPECT_EQ(port.boxes[0].title, "Korvane");
}

class ThrowingHost final : public WindowHost {
 public:
  void LoadMainWindow() override { throw VbError(13, "frmMain", "Type mismatch"); }
  void LoadDisplayWindow() override {}
  FlexGrid& GridInfo() override { return grid; }
  FlexGrid& GridComparison() override { return grid; }
  void SetFileText(const std::string&) override {}
  void SetActiveTab(int) override {}
  void ShowMainWindow() override { shown = true; }
  void UnloadMainWindow() override {}
  void UnloadDisplayWindow() override {}
  void EndProcess() override {}
  FlexGrid grid;
  bool shown = false;
};

TEST(MainFailureTest, AFailingStepIsReportedAsMainAndTheRestIsSkipped) {
  TempDir dir;
  test::ScopedEnv registry("KORVANE_REGISTRY", dir.File("registry.db"));
  test::ScopedEnv system("KORVANE_SYSTEM_DIR", dir.File("system32"));
  RecordingUserPort port;
  ThrowingHost host;
  basMain app(host);
  app.SetAppPathForTesting("/opt/korvane/");
  app.Main("");
  ASSERT_EQ(port.boxes.size(), 1u);
  EXPECT_EQ(port.boxes[0].text, "Main: error 13: Type mismatch");
  EXPECT_FALSE(host.shown);
}

}  // namespace
}  // namespace korvane
