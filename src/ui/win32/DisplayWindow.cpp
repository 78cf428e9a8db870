#include "ui/win32/DisplayWindow.h"

namespace korvane::win32ui {

namespace {
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;
}  // namespace

LRESULT CALLBACK DisplayWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = WindowObject(window, message, lParam, &DisplayWindow::window_);
  switch (message) {
    case WM_SIZE:
      if (self != nullptr && self->box_ != nullptr) self->form_.Resize(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_CLOSE:
      // Hidden, not destroyed: the next show finds it as the user left it.
      ::ShowWindow(window, SW_HIDE);
      if (self != nullptr) self->shown_ = false;
      return 0;
    case WM_NCDESTROY:
      if (self != nullptr) {
        self->window_ = nullptr;
        self->shown_ = false;
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

DisplayWindow::DisplayWindow(HWND owner) : owner_(owner), form_(*this) {
  RegisterWindowClass(kClassName, Proc, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
  CreateWindowExW(0, kClassName, L"", kStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner,
                  nullptr, GetModuleHandleW(nullptr), this);
  if (window_ == nullptr) return;
  box_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                         WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0, 0, 0, 0,
                         window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdText)), GetModuleHandleW(nullptr),
                         nullptr);
  SendMessageW(box_, WM_SETFONT, reinterpret_cast<WPARAM>(ButtonFont()), FALSE);
  form_.Load();
}

DisplayWindow::~DisplayWindow() {
  if (window_ != nullptr) DestroyWindow(window_);
}

void DisplayWindow::SetClientTwips(int width, int height) {
  RECT frame{0, 0, Px(width), Px(height)};
  AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DisplayWindow::PlaceTextTwips(const forms::TwipRect& place) {
  MoveWindow(box_, Px(place.left), Px(place.top), Px(place.width), Px(place.height), TRUE);
}

void DisplayWindow::PlaceTextPixels(int left, int top, int width, int height) {
  MoveWindow(box_, left, top, width, height, TRUE);
}

void DisplayWindow::ShowModal() {
  if (window_ == nullptr) return;
  // Modal: the owner takes no input until the window is closed.
  if (owner_ != nullptr) EnableWindow(owner_, FALSE);
  shown_ = true;
  ::ShowWindow(window_, SW_SHOW);
  MSG msg;
  while (shown_ && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (owner_ != nullptr) {
    EnableWindow(owner_, TRUE);
    SetActiveWindow(owner_);
  }
}

}  // namespace korvane::win32ui
