#pragma once
// The start-up module's view of the Qt windows.

#include <memory>

#include "app/WindowHost.h"

namespace korvane::ui {

class frmMain;
class frmDisplay;
class frmProgress;

class QtWindowHost final : public WindowHost {
 public:
  QtWindowHost();
  ~QtWindowHost() override;

  void LoadMainWindow() override;
  void LoadDisplayWindow() override;
  // The main window's grid models (the window is loaded first when it is not).
  FlexGrid& GridInfo() override;
  FlexGrid& GridComparison() override;
  void SetFileText(const std::string& text) override;
  void SetActiveTab(int index) override;
  void ShowMainWindow() override;
  void Connect(const ApplicationLink& link) override;
  void UnloadMainWindow() override;
  void UnloadDisplayWindow() override;
  void EndProcess() override;
  ReportProgress* ProgressWindow(bool& cancelFlag) override;

  frmMain* MainWindow() const { return main_.get(); }
  frmDisplay* DisplayWindow() const { return display_.get(); }
  bool MainWindowShown() const { return shown_; }

 private:
  void ConnectMainWindow();

  std::unique_ptr<frmMain> main_;
  std::unique_ptr<frmDisplay> display_;
  std::unique_ptr<frmProgress> progress_;
  ApplicationLink link_;
  bool shown_ = false;
};

}  // namespace korvane::ui
