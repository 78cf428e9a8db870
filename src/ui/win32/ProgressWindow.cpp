#include "ui/win32/ProgressWindow.h"

#include "forms/ProgressLayout.h"
#include "ui/win32/TabArt.h"

namespace korvane::win32ui {

namespace {

constexpr const wchar_t* kProgressClass = L"Korvane.Progress";

// A control at its designed place; the band's controls are placed on the band's
// origin (every control is a child of the window, so that Cancel reaches it).
HWND Child(HWND parent, const wchar_t* cls, const char* text, DWORD style, int id, forms::TwipRect r,
           int originTop = 0) {
  HWND control = CreateWindowExW(0, cls, Wide(text).c_str(), WS_CHILD | WS_VISIBLE | style, Px(r.left),
                                 Px(originTop + r.top), Px(r.width), Px(r.height), parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(ButtonFont()), FALSE);
  return control;
}

}  // namespace

LRESULT CALLBACK ProgressWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_COMMAND:
      if (self != nullptr && LOWORD(wParam) == kIdCancel) self->form_.CancelClick();
      return 0;
    case WM_CLOSE:
      if (self != nullptr && self->form_.MayClose()) DestroyWindow(window);
      return 0;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->CtlID != kIdPicture) break;
      DrawProgressPicture(item->hDC, item->rcItem, GetSysColor(COLOR_BTNFACE));
      return TRUE;
    }
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

ProgressWindow::ProgressWindow(bool& cancelFlag) : form_(*this, cancelFlag) {
  RegisterWindowClass(kProgressClass, Proc, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  RECT frame{0, 0, Px(forms::kProgressWidth), Px(forms::kProgressHeight)};
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  window_ = CreateWindowExW(0, kProgressClass, Wide(forms::kProgressCaption).c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                            frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  int id = 11;
  for (const forms::ProgressLabel* label : {&forms::kProgressLabel2, &forms::kProgressLabel1, &forms::kProgressLabel3}) {
    Child(window_, L"STATIC", label->text, SS_LEFT | SS_NOPREFIX, id++, label->place);
  }
  Child(window_, L"STATIC", "", SS_OWNERDRAW, kIdPicture, forms::kProgressPicture);
  Child(window_, L"STATIC", forms::kProgressFile.text, SS_LEFT | SS_NOPREFIX, kIdFile, forms::kProgressFile.place);
  Child(window_, PROGRESS_CLASSW, "", 0, kIdBar, forms::kProgressBar, forms::kProgressBand.top);
  Child(window_, L"BUTTON", forms::kProgressCancelText, BS_PUSHBUTTON | WS_TABSTOP, kIdCancel, forms::kProgressCancel,
        forms::kProgressBand.top);
  form_.Load();
}

ProgressWindow::~ProgressWindow() {
  if (window_ != nullptr) DestroyWindow(window_);
}

void ProgressWindow::ShowWindow() {
  ::ShowWindow(window_, SW_SHOW);
  UpdateWindow(window_);
}

void ProgressWindow::HideWindow() { ::ShowWindow(window_, SW_HIDE); }

void ProgressWindow::SetBarRange(int max) { SendMessageW(GetDlgItem(window_, kIdBar), PBM_SETRANGE32, 0, max); }

void ProgressWindow::SetBarValue(int value) { SendMessageW(GetDlgItem(window_, kIdBar), PBM_SETPOS, value, 0); }

void ProgressWindow::SetFileLabel(const std::string& text) { SetText(GetDlgItem(window_, kIdFile), text); }

}  // namespace korvane::win32ui
