#include "ui/win32/ProgressWindow.h"

#include "forms/MainLayout.h"

namespace korvane::win32ui {

namespace {

constexpr const wchar_t* kProgressClass = L"Korvane.Progress";

struct Label {
  int id;
  const char* text;
  int left, top, width, height;
};

// Places in twips on the client area; the bottom band starts at 1080.
constexpr Label kLabels[] = {
    {11, "Creating ActiveX Report", 1020, 150, 1710, 195},
    {12, "Please wait...", 1020, 450, 1395, 225},
    {13, "Current file:", 120, 810, 795, 195},
    {ProgressWindow::kIdFile, "", 1020, 810, 3915, 225},
};
constexpr int kBandTop = 1080;

HWND Child(HWND parent, const wchar_t* cls, const char* text, DWORD style, int id, int left, int top, int width,
           int height) {
  HWND control = CreateWindowExW(0, cls, Wide(text).c_str(), WS_CHILD | WS_VISIBLE | style, Px(left), Px(top),
                                 Px(width), Px(height), parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(ButtonFont()), FALSE);
  return control;
}

}  // namespace

LRESULT CALLBACK ProgressWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_COMMAND:
      if (self != nullptr && LOWORD(wParam) == kIdCancel) self->cancel_ = true;
      return 0;
    case WM_CLOSE:
      return 0;  // refused, whatever asked for it
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

ProgressWindow::ProgressWindow(bool& cancelFlag) : cancel_(cancelFlag) {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kProgressClass;
    return RegisterClassExW(&wc) != 0;
  }();
  (void)registered;
  RECT frame{0, 0, Px(5115), Px(1725)};
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  window_ = CreateWindowExW(0, kProgressClass, L"Creating ActiveX Report", style, CW_USEDEFAULT, CW_USEDEFAULT,
                            frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  for (const Label& label : kLabels) {
    Child(window_, L"STATIC", label.text, SS_LEFT | SS_NOPREFIX, label.id, label.left, label.top, label.width,
          label.height);
  }
  Child(window_, PROGRESS_CLASSW, "", 0, kIdBar, 150, kBandTop + 210, 3195, 255);
  Child(window_, L"BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, kIdCancel, 3960, kBandTop + 150, 1035, 375);
}

ProgressWindow::~ProgressWindow() {
  if (window_ != nullptr) DestroyWindow(window_);
}

void ProgressWindow::Show() {
  ShowWindow(window_, SW_SHOW);
  UpdateWindow(window_);
}

void ProgressWindow::SetMax(int max) {
  SendMessageW(GetDlgItem(window_, kIdBar), PBM_SETRANGE32, 0, max);
}

void ProgressWindow::SetValue(int value) { SendMessageW(GetDlgItem(window_, kIdBar), PBM_SETPOS, value, 0); }

void ProgressWindow::SetCurrentFile(const std::string& name) { SetText(GetDlgItem(window_, kIdFile), name); }

void ProgressWindow::Hide() { ShowWindow(window_, SW_HIDE); }

void ProgressWindow::Unload() { ShowWindow(window_, SW_HIDE); }  // it refuses to close: it stays loaded

}  // namespace korvane::win32ui
