#pragma once
// What the start-up module needs of the windows. The Qt program implements it
// with the real windows; tests use a recording fake.

#include <functional>
#include <string>

#include "inspection/FlexGrid.h"
#include "report/ReportProgress.h"

namespace korvane {

class clsActiveX;
class clsRegistrator;

// What the windows' handlers reach the program through, handed to them by
// start-up once the shared objects exist.
struct ApplicationLink {
  clsRegistrator* registrator = nullptr;
  clsActiveX* inspector = nullptr;
  std::string appPath;  // the program folder, ending in a separator
  // The main window's unload handler calls this; it ends the program.
  std::function<void()> mainWindowUnloaded;
};

class WindowHost {
 public:
  virtual ~WindowHost() = default;
  // Loads the main window (its load handler runs) without showing it.
  virtual void LoadMainWindow() = 0;
  // Loads the detail window without showing it.
  virtual void LoadDisplayWindow() = 0;
  // The models of the main window's two result grids (valid once it is loaded).
  virtual FlexGrid& GridInfo() = 0;
  virtual FlexGrid& GridComparison() = 0;
  // The main window's file box.
  virtual void SetFileText(const std::string& text) = 0;
  // Makes a tab of the main window's tab control active.
  virtual void SetActiveTab(int index) = 0;
  // Shows the main window modeless.
  virtual void ShowMainWindow() = 0;
  // Connects the windows, loaded now or later, to the program; an empty link
  // disconnects them.
  virtual void Connect(const ApplicationLink& link) { (void)link; }
  // Unloads the main window; its unload handler calls the link's
  // mainWindowUnloaded.
  virtual void UnloadMainWindow() = 0;
  virtual void UnloadDisplayWindow() = 0;
  // The folder report's progress window, loaded on first use; its Cancel sets
  // cancelFlag. Null when there is no window to show.
  virtual ReportProgress* ProgressWindow(bool& cancelFlag) { return nullptr; }
  // Ends the process at once; in tests it only records that it was asked.
  virtual void EndProcess() = 0;
};

}  // namespace korvane
