#pragma once
// The folder report's progress window on the Windows API: its picture, labels,
// the current file, a progress bar and a standard Cancel push button; a view of the
// progress form, which the report drives and which refuses to close.

#include "forms/ProgressForm.h"
#include "ui/win32/Win32Ui.h"

namespace korvane::win32ui {

class ProgressWindow final : private forms::ProgressView {
 public:
  explicit ProgressWindow(bool& cancelFlag);
  ~ProgressWindow();
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  forms::ProgressForm& Form() { return form_; }
  HWND Window() const { return window_; }
  static constexpr int kIdCancel = 2;
  static constexpr int kIdFile = 20;
  static constexpr int kIdBar = 21;
  static constexpr int kIdPicture = 22;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  // forms::ProgressView
  void ShowWindow() override;
  void HideWindow() override;
  void SetBarRange(int max) override;
  void SetBarValue(int value) override;
  void SetFileLabel(const std::string& text) override;

  forms::ProgressForm form_;
  HWND window_ = nullptr;
};

}  // namespace korvane::win32ui
