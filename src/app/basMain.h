#pragma once
// Start-up, the command-line dispatcher, shut-down and the error report.

#include <memory>
#include <string>

#include "app/WindowHost.h"
#include "common/ErrorReport.h"
#include "inspection/clsActiveX.h"
#include "inspection/clsGrid.h"
#include "registration/clsRegistrator.h"
#include "registry/clsRegistry.h"

namespace korvane {

class basMain {
 public:
  explicit basMain(WindowHost& windows);
  ~basMain();

  // The entry procedure. argumentText is the process's argument text.
  void Main(const std::string& argumentText);
  // Returns true when a switch ended the program.
  bool ProcessCommandLine(const std::string& argumentText);
  void EndApplication(bool bMainFormUnloading);

  const std::string& AppPath() const { return appPath_; }
  void SetAppPathForTesting(std::string path) { appPath_ = std::move(path); }
  bool Ended() const { return ended_; }

  // The shared objects: created by Main, released by EndApplication.
  clsRegistrator* oRegistrator() { return oRegistrator_.get(); }
  clsGrid* oGridInfo() { return oGridInfo_.get(); }
  clsGrid* oGridComparison() { return oGridComparison_.get(); }
  clsActiveX* oActiveX() { return oActiveX_.get(); }
  clsRegistry* oRegistry() { return oRegistry_.get(); }

  // The cancel request of the folder report.
  bool bCancelReport = false;

 private:
  void CreateSharedObjects();
  void ReleaseSharedObjects();
  void RunSwitch(const std::string& switchText, const std::string& path);
  void ShowPlainPath(const std::string& path);

  WindowHost& windows_;
  std::string appPath_;
  bool appPathFixed_ = false;
  bool ended_ = false;
  bool ending_ = false;
  std::unique_ptr<clsRegistrator> oRegistrator_;
  std::unique_ptr<clsGrid> oGridInfo_;
  std::unique_ptr<clsGrid> oGridComparison_;
  std::unique_ptr<clsActiveX> oActiveX_;
  std::unique_ptr<clsRegistry> oRegistry_;
};

}  // namespace korvane
