#pragma once
// The detail window ("selection info") on the Windows API: a read-only text
// box filling the client area; a view of the detail form, shown modally.
// Closing hides it: shown again, it keeps the size and place it was left at.

#include <string>

#include "forms/DisplayForm.h"
#include "ui/win32/Win32Ui.h"

namespace korvane::win32ui {

class DisplayWindow final : private forms::DisplayView {
 public:
  explicit DisplayWindow(HWND owner);
  ~DisplayWindow();
  DisplayWindow(const DisplayWindow&) = delete;
  DisplayWindow& operator=(const DisplayWindow&) = delete;

  forms::DisplayForm& Form() { return form_; }
  // The text, in the window shown modally over the owner until it is closed.
  void ShowText(const std::string& text) { form_.ShowText(text); }
  HWND Window() const { return window_; }
  static constexpr const wchar_t* kClassName = L"Korvane.Display";
  static constexpr int kIdText = 10;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  // forms::DisplayView
  void SetCaption(const std::string& caption) override { win32ui::SetText(window_, caption); }
  void SetClientTwips(int width, int height) override;
  void PlaceTextTwips(const forms::TwipRect& place) override;
  void PlaceTextPixels(int left, int top, int width, int height) override;
  void SetText(const std::string& text) override { win32ui::SetText(box_, text); }
  void ShowModal() override;

  HWND owner_;
  HWND window_ = nullptr;
  HWND box_ = nullptr;
  bool shown_ = false;
  forms::DisplayForm form_;
};

}  // namespace korvane::win32ui
