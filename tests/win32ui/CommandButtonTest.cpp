// The Command button under the real mouse: the input goes through the system
// (SendInput), so that each press and release reaches whichever window the
// system gives it to, as a user's would.

#include <gtest/gtest.h>

#include "WindowCapture.h"
#include "forms/CommandCore.h"
#include "ui/win32/CommandButton.h"

namespace korvane {
namespace {

using namespace win32ui;
using test::Pump;

constexpr int kButtonId = 7;
constexpr const wchar_t* kHostClass = L"Korvane.Test.CommandHost";

int clicks = 0;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && LOWORD(wParam) == kButtonId && HIWORD(wParam) == BN_CLICKED) ++clicks;
  return DefWindowProcW(window, message, wParam, lParam);
}

void Mouse(DWORD flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  SendInput(1, &input, sizeof input);
  Pump();
}

// The mouse moved to a point of a window's client area.
void MoveTo(HWND window, POINT client) {
  ClientToScreen(window, &client);
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = (client.x * 65536 + width / 2) / width;
  input.mi.dy = (client.y * 65536 + height / 2) / height;
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &input, sizeof input);
  Pump();
}

// A host window on top with one button; no hover timer runs (the buttons are
// not initialised), so no tick can come between a press and its release.
class Win32CommandButtonTest : public ::testing::Test {
 protected:
  Win32CommandButtonTest() {
    RegisterCommandClass();
    RegisterWindowClass(kHostClass, HostProc);
    host = CreateWindowExW(WS_EX_TOPMOST, kHostClass, L"host", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
    button = CreateCommand(host, kButtonId, "&Go", RECT{20, 20, 140, 60});
    core = CommandOf(button);
    clicks = 0;
    SetForegroundWindow(host);
    Pump();
  }
  ~Win32CommandButtonTest() override {
    ReleaseCapture();
    DestroyWindow(host);
  }

  HWND host = nullptr;
  HWND button = nullptr;
  ui::CommandCore* core = nullptr;
};

// Pressed on the button, released beside it before a tick: the release still
// reaches the button, which clicks once and lets go of the mouse.
TEST_F(Win32CommandButtonTest, ReleaseOffTheButtonStillReachesIt) {
  ASSERT_NE(core, nullptr);
  MoveTo(button, POINT{60, 20});
  Mouse(MOUSEEVENTF_LEFTDOWN);
  EXPECT_EQ(GetCapture(), button);
  EXPECT_TRUE(core->ButtonDown());
  MoveTo(host, POINT{250, 150});
  Mouse(MOUSEEVENTF_LEFTUP);
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(core->ButtonDown());
  EXPECT_EQ(GetCapture(), nullptr);
  // Not stuck pressed: after a tick has seen the mouse away (4 -> 3), back
  // over the focused button it shows the focused hover state again.
  core->TimerTick(false);
  ASSERT_EQ(core->State(), ui::CommandState::Selected);
  MoveTo(button, POINT{60, 20});
  EXPECT_EQ(core->State(), ui::CommandState::HighLightSelect);
}

// Another window taking the mouse during a press ends the press without a
// click; the release then belongs to that window.
TEST_F(Win32CommandButtonTest, LosingTheMouseDuringAPressCancelsIt) {
  ASSERT_NE(core, nullptr);
  MoveTo(button, POINT{60, 20});
  Mouse(MOUSEEVENTF_LEFTDOWN);
  ASSERT_EQ(GetCapture(), button);
  SetCapture(host);
  Pump();
  EXPECT_FALSE(core->ButtonDown());
  Mouse(MOUSEEVENTF_LEFTUP);
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(GetCapture(), host);
}

}  // namespace
}  // namespace korvane
