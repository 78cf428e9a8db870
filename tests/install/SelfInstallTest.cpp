// The first-start installation against real folders, the real registry store
// and real component libraries, whose registration entry points append a line
// to the KORVANE_TEST_TRACE file.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "install/Settings.h"
#include "install/basSelfInstall.h"
#include "registration/RegistrationOutcome.h"
#include "registry/RegFileKeys.h"
#include "support/RecordingUserPort.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

namespace fs = std::filesystem;

class SelfInstall : public ::testing::Test {
 protected:
  SelfInstall()
      : store_(std::make_unique<test::ScopedEnv>("KORVANE_REGISTRY", dir_.File("registry.db"))),
        trace_(std::make_unique<test::ScopedEnv>("KORVANE_TEST_TRACE", dir_.File("trace.txt"))),
        system_(std::make_unique<test::ScopedEnv>("KORVANE_SYSTEM_DIR", dir_.File("system32"))) {
    fs::create_directories(dir_.path() / "program");
    fs::create_directories(dir_.path() / "system32");
    ForgetSetting();
  }
  ~SelfInstall() override { ForgetSetting(); }

  // A Windows build keeps the setting in the machine's registry.
  static void ForgetSetting() {
    RegRemoveValue({formats::RegRoot::CurrentUser, SettingsKeyPath("Korvane", "General")}, "SelfInstall");
  }

  // The program folder as AppPath gives it, with its trailing separator.
  std::string AppPath() const { return dir_.File("program") + "/"; }
  std::string SystemFile(const std::string& name) const { return dir_.File("system32/" + name); }

  void PutInProgramFolder(const std::string& name, const char* component = KORVANE_COMP_OK) {
    fs::copy_file(component, dir_.path() / "program" / name);
  }

  // On Linux the default system folder is KORVANE_SYSTEM_DIR; on Windows it
  // would be the real one, so the test folder is given directly there.
  SelfInstallPlaces Places() const {
#ifdef _WIN32
    return {[this] { return AppPath(); }, [this](const std::string&) { return dir_.File("system32"); }};
#else
    return {[this] { return AppPath(); },
            [](const std::string& source) { return DefaultSelfInstallPlaces().systemDirectory(source); }};
#endif
  }

  std::vector<std::string> Trace() const {
    std::vector<std::string> lines;
    std::istringstream in(test::ReadFile(dir_.File("trace.txt")));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  std::string Setting() const { return GetSetting("Korvane", "General", "SelfInstall", "<none>"); }

  test::TempDir dir_;
  std::unique_ptr<test::ScopedEnv> store_;
  std::unique_ptr<test::ScopedEnv> trace_;
  std::unique_ptr<test::ScopedEnv> system_;
  test::RecordingUserPort port_;
};

TEST_F(SelfInstall, FirstStartCopiesAndRegistersEveryComponent) {
  for (const char* name : kRuntimeComponents) PutInProgramFolder(name);
  InstallRuntimeComponents(Places());

  const std::string original = test::ReadFile(KORVANE_COMP_OK);
  for (const char* name : kRuntimeComponents) {
    EXPECT_EQ(test::ReadFile(SystemFile(name)), original) << name;
  }
  EXPECT_EQ(Trace(), std::vector<std::string>(4, "register"));
  EXPECT_EQ(Setting(), "true");
  EXPECT_TRUE(port_.boxes.empty());
}

TEST_F(SelfInstall, ComponentsAreRegisteredInTheirFixedOrderAndAFailureStopsNothing) {
  // The third component's registration fails; its trace line tells it apart.
  PutInProgramFolder("prjXTab.ocx");
  PutInProgramFolder("MSFLXGRD.OCX");
  PutInProgramFolder("comdlg32.ocx", KORVANE_COMP_FAIL);
  PutInProgramFolder("TLBINF32.DLL");
  InstallRuntimeComponents(Places());
  EXPECT_EQ(Trace(), (std::vector<std::string>{"register", "register", "register-fail", "register"}));
  EXPECT_EQ(Setting(), "true");
  EXPECT_TRUE(port_.boxes.empty());
}

TEST_F(SelfInstall, AComponentAlreadyInTheSystemFolderIsRegisteredAgainNotReplaced) {
  for (const char* name : kRuntimeComponents) PutInProgramFolder(name);
  fs::copy_file(KORVANE_COMP_FAIL, SystemFile("MSFLXGRD.OCX"));
  InstallRuntimeComponents(Places());
  EXPECT_EQ(test::ReadFile(SystemFile("MSFLXGRD.OCX")), test::ReadFile(KORVANE_COMP_FAIL));
  EXPECT_EQ(Trace(), (std::vector<std::string>{"register", "register-fail", "register", "register"}));
}

// The listing ignores letter case; where the file system does not, the file
// it found must be registered by its own name, and not be copied beside it.
TEST_F(SelfInstall, AComponentThereUnderAnotherLetterCaseIsRegisteredByItsOwnName) {
  for (const char* name : kRuntimeComponents) PutInProgramFolder(name);
  fs::copy_file(KORVANE_COMP_FAIL, SystemFile("msflxgrd.ocx"));
  InstallRuntimeComponents(Places());
  EXPECT_EQ(test::ReadFile(SystemFile("msflxgrd.ocx")), test::ReadFile(KORVANE_COMP_FAIL));
  std::vector<std::string> inSystem;
  for (const auto& entry : fs::directory_iterator(dir_.path() / "system32")) {
    inSystem.push_back(entry.path().filename().string());
  }
  std::sort(inSystem.begin(), inSystem.end());
  EXPECT_EQ(inSystem, (std::vector<std::string>{"TLBINF32.DLL", "comdlg32.ocx", "msflxgrd.ocx", "prjXTab.ocx"}));
  EXPECT_EQ(Trace(), (std::vector<std::string>{"register", "register-fail", "register", "register"}));
}

TEST_F(SelfInstall, AComponentMissingEverywhereIsPassedOverSilently) {
  PutInProgramFolder("prjXTab.ocx");
  PutInProgramFolder("MSFLXGRD.OCX");
  PutInProgramFolder("TLBINF32.DLL");
  InstallRuntimeComponents(Places());
  EXPECT_FALSE(fs::exists(SystemFile("comdlg32.ocx")));
  EXPECT_EQ(Trace(), std::vector<std::string>(3, "register"));
  EXPECT_EQ(Setting(), "true");
  EXPECT_TRUE(port_.boxes.empty());
  EXPECT_EQ(RegisterComponentFile(SystemFile("comdlg32.ocx")), LoadFailed);
  EXPECT_EQ(RegisterComponentFile(SystemFile("TLBINF32.DLL")), RegistrationSucceeded);
}

TEST_F(SelfInstall, SettingTrueTouchesNothing) {
  for (const char* name : kRuntimeComponents) PutInProgramFolder(name);
  ASSERT_TRUE(SaveSetting("Korvane", "General", "SelfInstall", "TRUE"));
  int folderQueries = 0;
  SelfInstallPlaces places{[&] {
                             ++folderQueries;
                             return AppPath();
                           },
                           [&](const std::string&) {
                             ++folderQueries;
                             return dir_.File("system32");
                           }};
  InstallRuntimeComponents(places);
  EXPECT_EQ(folderQueries, 0);
  EXPECT_TRUE(fs::is_empty(dir_.path() / "system32"));
  EXPECT_TRUE(Trace().empty());
  EXPECT_EQ(Setting(), "TRUE") << "the setting is left as it was";
}

TEST_F(SelfInstall, ASettingThatIsNoBooleanCountsAsNotInstalled) {
  for (const char* name : kRuntimeComponents) PutInProgramFolder(name);
  for (const char* value : {"maybe", "0", ""}) {
    fs::remove_all(dir_.path() / "system32");
    fs::create_directories(dir_.path() / "system32");
    fs::remove(dir_.File("trace.txt"));
    ASSERT_TRUE(SaveSetting("Korvane", "General", "SelfInstall", value));
    InstallRuntimeComponents(Places());
    EXPECT_EQ(Trace().size(), 4u) << value;
    EXPECT_TRUE(fs::exists(SystemFile("TLBINF32.DLL"))) << value;
    EXPECT_EQ(Setting(), "true") << value;
  }
}

TEST_F(SelfInstall, SystemFolderIsCutAtItsFirstNulAndAnEmptyOneSkipsTheComponent) {
  PutInProgramFolder("prjXTab.ocx");
  SelfInstallPlaces padded{[this] { return AppPath(); },
                           [this](const std::string&) { return dir_.File("system32") + std::string(20, '\0'); }};
  InstallComponent("prjXTab.ocx", padded);
  EXPECT_TRUE(fs::exists(SystemFile("prjXTab.ocx")));
  EXPECT_EQ(Trace().size(), 1u);

  SelfInstallPlaces none{[this] { return AppPath(); }, [](const std::string&) { return std::string(1, '\0'); }};
  InstallRuntimeComponents(none);
  EXPECT_EQ(Trace().size(), 1u) << "no folder, no registration";
  EXPECT_EQ(Setting(), "true");
}

}  // namespace
}  // namespace korvane
