#include "app/basMain.h"

#include "app/CommandLine.h"
#include "common/CarryOn.h"
#include "common/UserPort.h"
#include "common/VbError.h"
#include "install/basSelfInstall.h"
#include "platform/Process.h"
#include "platform/RegistryChoice.h"
#include "registry/ShellVerbs.h"
#include "report/CreateReport.h"

namespace korvane {

namespace {

constexpr const char* kConfirmText = "Are You Sure?";
constexpr int kConfirmFlags = kMbYesNo + kMbIconQuestion + kMbDefaultButton1;

}  // namespace

basMain::basMain(WindowHost& windows) : windows_(windows) {}

basMain::~basMain() = default;

void basMain::CreateSharedObjects() {
  oRegistrator_ = std::make_unique<clsRegistrator>();
  oGridInfo_ = std::make_unique<clsGrid>();
  oGridComparison_ = std::make_unique<clsGrid>();
  oActiveX_ = std::make_unique<clsActiveX>();
  oRegistry_ = std::make_unique<clsRegistry>();
}

void basMain::ReleaseSharedObjects() {
  // In the order of their creation.
  oRegistrator_.reset();
  oGridInfo_.reset();
  oGridComparison_.reset();
  oActiveX_.reset();
  oRegistry_.reset();
}

void basMain::Main(const std::string& argumentText) {
  try {
    if (appPath_.empty()) appPath_ = platform::AppPath();
    if (appPath_.back() != platform::kPathSeparator) appPath_.push_back(platform::kPathSeparator);
    InstallRuntimeComponents();
    windows_.LoadMainWindow();
    windows_.LoadDisplayWindow();
    CreateSharedObjects();
    windows_.Connect({oRegistrator_.get(), oActiveX_.get(), appPath_, [this] { EndApplication(true); }});
    oGridInfo_->Init(&windows_.GridInfo());
    oGridComparison_->Init(&windows_.GridComparison());
    oActiveX_->Init(oGridInfo_.get(), oGridComparison_.get());
    if (!argumentText.empty() && ProcessCommandLine(argumentText)) return;
    DoEvents();
    windows_.SetActiveTab(0);
    windows_.ShowMainWindow();
  } catch (const VbError& e) {
    ShowError("Main", e);
  } catch (const std::exception& e) {
    ShowError("Main", 5, e.what());
  }
}

bool basMain::ProcessCommandLine(const std::string& argumentText) {
  ParsedCommandLine parsed = SplitCommandLine(argumentText);
  const std::string& sw = parsed.switchText;
  if (sw == "-r" || sw == "-u" || sw == "-f") {
    RunSwitch(sw, ResolveCommandPath(platform::FileFromRegistryPath(parsed.path), appPath_));
    return true;
  }
  if (sw == "-s") {
    // The registry class contains its own failures; the dispatcher reports nothing.
    CarryOn("ProcessCommandLine", [&] {
      CreateSwitchAssociations(*oRegistry_, appPath_ + platform::ProgramFileName());
    });
    EndApplication(false);
    return true;
  }
  ShowPlainPath(ResolveCommandPath(platform::FileFromRegistryPath(sw), appPath_));
  return false;
}

void basMain::RunSwitch(const std::string& switchText, const std::string& path) {
  const char* title = switchText == "-r"   ? "Korvane - Registering ActiveX"
                      : switchText == "-u" ? "Korvane - UnRegistering ActiveX"
                                           : "Korvane - ActiveX Report";
  int answer = kIdNo;
  CarryOn("RunSwitch", [&] { answer = MsgBox(kConfirmText, kConfirmFlags, title); });
  if (answer == kIdYes) {
    CarryOn("RunSwitch", [&] {
      if (switchText == "-r") {
        oRegistrator_->RegisterActiveX(path);
      } else if (switchText == "-u") {
        oRegistrator_->UnRegisterActiveX(path);
      } else {
        CreateReport(path, windows_.ProgressWindow(bCancelReport), &bCancelReport);
      }
    });
  }
  EndApplication(false);
}

void basMain::ShowPlainPath(const std::string& path) {
  // Each step is skipped when it fails; the next one still runs.
  CarryOn("ShowPlainPath", [&] { oActiveX_->SetFileName(path); });
  CarryOn("ShowPlainPath", [&] { windows_.SetFileText(oActiveX_->FileName()); });
  CarryOn("ShowPlainPath", [&] { oActiveX_->DisplayInfo(); });
}

void basMain::EndApplication(bool bMainFormUnloading) {
  if (ended_) return;
  if (!bMainFormUnloading && !ending_) {
    ending_ = true;
    CarryOn("EndApplication", [&] { windows_.UnloadMainWindow(); });
    if (ended_) return;  // the unload handler finished the shut-down
  }
  ending_ = true;
  CarryOn("EndApplication", [&] { windows_.UnloadDisplayWindow(); });
  // The windows must not reach the shared objects once they are gone.
  windows_.Connect({});
  ReleaseSharedObjects();
  ended_ = true;
  windows_.EndProcess();
}

}  // namespace korvane
