#include "ui/win32/Win32Host.h"

#include "forms/MainLayout.h"
#include "platform/Process.h"
#include "ui/win32/ProgressWindow.h"

namespace korvane::win32ui {

int Win32UserPort::MsgBox(const std::string& text, int flags, const std::string& title) {
  // The box's flags are the Windows ones; the answers are the same numbers.
  return MessageBoxW(GetActiveWindow(), Wide(text).c_str(), Wide(title).c_str(),
                     static_cast<UINT>(flags) | MB_SETFOREGROUND);
}

void Win32UserPort::DoEvents() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

Win32Host::Win32Host() = default;

Win32Host::~Win32Host() = default;

void Win32Host::LoadMainWindow() {
  if (main_) return;
  main_ = std::make_unique<MainWindow>();
  ConnectMainWindow();
  main_->Form().Load();
}

FlexGrid& Win32Host::GridInfo() {
  LoadMainWindow();
  return main_->Form().GridModel(forms::Grid::Info);
}

FlexGrid& Win32Host::GridComparison() {
  LoadMainWindow();
  return main_->Form().GridModel(forms::Grid::Comparison);
}

void Win32Host::SetFileText(const std::string& text) {
  LoadMainWindow();
  SetText(main_->Control(forms::kIdTxtFile), text);
}

void Win32Host::SetActiveTab(int index) {
  LoadMainWindow();
  main_->SetActiveTab(index);
}

void Win32Host::ShowMainWindow() {
  LoadMainWindow();
  ShowWindow(main_->Window(), SW_SHOW);
  UpdateWindow(main_->Window());
  shown_ = true;
}

void Win32Host::Connect(const ApplicationLink& link) {
  link_ = link;
  ConnectMainWindow();
}

void Win32Host::ConnectMainWindow() {
  if (main_) main_->Form().Connect(link_);
}

void Win32Host::UnloadMainWindow() {
  if (main_) SendMessageW(main_->Window(), WM_CLOSE, 0, 0);
}

ReportProgress* Win32Host::ProgressWindow(bool& cancelFlag) {
  if (!progress_) progress_ = std::make_unique<class ProgressWindow>(cancelFlag);
  return &progress_->Form();
}

void Win32Host::EndProcess() { platform::EndProcess(0); }

int Win32Host::Run() {
  MSG msg;
  // For start-up timing: end as soon as the window has been shown and painted,
  // as the bare window of the timing does (taking the window down first would
  // wait for a window manager that a bare X server does not have).
  if (platform::GetEnv("KORVANE_EXIT_AFTER_SHOW") == "1") {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    platform::EndProcess(0);
  }
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    // Alt+key reaches the main window, where the access keys are.
    if (msg.message == WM_SYSCHAR && main_ && GetAncestor(msg.hwnd, GA_ROOT) == main_->Window()) {
      msg.hwnd = main_->Window();
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace korvane::win32ui
