#pragma once
// What start-up needs of the windows, on the Windows API: the main window, the
// message boxes as the user port, and the report's progress window.

#include <memory>

#include "app/WindowHost.h"
#include "common/UserPort.h"
#include "ui/win32/MainWindow.h"

namespace korvane::win32ui {

class Win32UserPort final : public UserPort {
 public:
  int MsgBox(const std::string& text, int flags, const std::string& title) override;
  void DoEvents() override;
};

class ProgressWindow;

class Win32Host final : public WindowHost {
 public:
  Win32Host();
  ~Win32Host() override;

  void LoadMainWindow() override;
  void LoadDisplayWindow() override {}  // made each time it is shown
  FlexGrid& GridInfo() override;
  FlexGrid& GridComparison() override;
  void SetFileText(const std::string& text) override;
  void SetActiveTab(int index) override;
  void ShowMainWindow() override;
  void Connect(const ApplicationLink& link) override;
  void UnloadMainWindow() override;
  void UnloadDisplayWindow() override {}
  ReportProgress* ProgressWindow(bool& cancelFlag) override;
  void EndProcess() override;

  MainWindow* Main() const { return main_.get(); }
  bool MainWindowShown() const { return shown_; }
  // Runs the message loop until the program ends.
  int Run();

 private:
  void ConnectMainWindow();

  std::unique_ptr<MainWindow> main_;
  std::unique_ptr<class ProgressWindow> progress_;
  ApplicationLink link_;
  bool shown_ = false;
};

}  // namespace korvane::win32ui
