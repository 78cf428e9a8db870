#pragma once
// The start-up module's view of the Qt windows.

#include <memory>

#include "app/WindowHost.h"

namespace korvane::ui {

class frmMain;

class QtWindowHost final : public WindowHost {
 public:
  QtWindowHost();
  ~QtWindowHost() override;

  void LoadMainWindow() override;
  void LoadDisplayWindow() override;
  FlexGrid& GridInfo() override { return gridInfo_; }
  FlexGrid& GridComparison() override { return gridComparison_; }
  void SetFileText(const std::string& text) override;
  void SetActiveTab(int index) override;
  void ShowMainWindow() override;
  void UnloadMainWindow() override;
  void UnloadDisplayWindow() override;
  void EndProcess() override;

  frmMain* MainWindow() const { return main_.get(); }
  bool MainWindowShown() const { return shown_; }

 private:
  std::unique_ptr<frmMain> main_;
  bool shown_ = false;
  FlexGrid gridInfo_;
  FlexGrid gridComparison_;
};

}  // namespace korvane::ui
