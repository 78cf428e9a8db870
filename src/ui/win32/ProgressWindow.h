#pragma once
// The folder report's progress window on the Windows API: labels, the current
// file, a progress bar and a standard Cancel push button. It refuses to close:
// Cancel is the only way to stop the report.

#include "report/ReportProgress.h"
#include "ui/win32/Win32Ui.h"

namespace korvane::win32ui {

class ProgressWindow final : public ReportProgress {
 public:
  explicit ProgressWindow(bool& cancelFlag);
  ~ProgressWindow() override;
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  void Show() override;
  void SetMax(int max) override;
  void SetValue(int value) override;
  void SetCurrentFile(const std::string& name) override;
  void Hide() override;
  void Unload() override;

  HWND Window() const { return window_; }
  static constexpr int kIdCancel = 2;
  static constexpr int kIdFile = 20;
  static constexpr int kIdBar = 21;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  bool& cancel_;
  HWND window_ = nullptr;
};

}  // namespace korvane::win32ui
