#pragma once
// The main window's tab control on the Windows API: a window class of its own
// that draws the tab strip's headers and page, and hands clicks and arrow
// keys to the strip. The strip tells its owner when the active tab changed.

#include <vector>

#include "forms/TabStrip.h"
#include "ui/win32/Win32Ui.h"

namespace korvane::win32ui {

class TabControl final {
 public:
  TabControl(HWND parent, int id, RECT place, forms::TabStrip& strip);
  ~TabControl();
  TabControl(const TabControl&) = delete;
  TabControl& operator=(const TabControl&) = delete;

  HWND Window() const { return window_; }
  // Where the icon in a tab's header ends (pixels on the control).
  void SetIconRight(int tab, int right);

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Paint(HDC dc) const;
  void DrawHeader(HDC dc, int tab, RECT header) const;

  forms::TabStrip& strip_;
  std::vector<int> iconRight_;
  HWND window_ = nullptr;
};

}  // namespace korvane::win32ui
