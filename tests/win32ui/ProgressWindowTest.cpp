// The report's progress window on the Windows API: its controls, the bar and
// the current file as the report sets them, Cancel setting the flag, and every
// request to close refused.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "WindowCapture.h"
#include "forms/ProgressLayout.h"
#include "ui/win32/ProgressWindow.h"

namespace korvane {
namespace {

using namespace win32ui;

TEST(Win32ProgressWindow, ShowsTheReportsProgressAndOnlyCancelStopsIt) {
  bool cancel = false;
  ProgressWindow progress(cancel);
  HWND window = progress.Window();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(TextOf(window), forms::kProgressCaption);
  RECT client;
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, Px(forms::kProgressWidth));
  EXPECT_EQ(client.bottom, Px(forms::kProgressHeight));

  progress.Form().SetMax(3);
  progress.Form().SetValue(2);
  progress.Form().SetCurrentFile("c.txt");
  HWND bar = GetDlgItem(window, ProgressWindow::kIdBar);
  EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 3);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 2);
  EXPECT_EQ(TextOf(GetDlgItem(window, ProgressWindow::kIdFile)), "c.txt");

  SendMessageW(window, WM_CLOSE, 0, 0);  // the close box: refused
  EXPECT_TRUE(IsWindow(window));
  EXPECT_FALSE(cancel);
  HWND cancelButton = GetDlgItem(window, ProgressWindow::kIdCancel);
  EXPECT_EQ(TextOf(cancelButton), "Cancel");
  SendMessageW(cancelButton, BM_CLICK, 0, 0);
  EXPECT_TRUE(cancel);
}

// The picture is the Qt program's first tab icon: at this point of it the
// magnifier's handle, amber.
TEST(Win32ProgressWindow, ShowsTheQtProgramsPicture) {
  bool cancel = false;
  ProgressWindow progress(cancel);
  progress.Form().SetMax(4);
  progress.Form().SetValue(1);
  ShowWindow(progress.Window(), SW_SHOW);
  RedrawWindow(progress.Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  test::Pump();
  const test::Capture capture = test::CaptureClient(progress.Window());
  std::filesystem::create_directories(KORVANE_SCREENSHOT_DIR);
  EXPECT_TRUE(test::WriteBmp(capture, std::string(KORVANE_SCREENSHOT_DIR) + "/win32-progress.bmp"));
  const RECT picture = test::PlaceOf(GetDlgItem(progress.Window(), ProgressWindow::kIdPicture));
  EXPECT_EQ(picture.right - picture.left, Px(forms::kProgressPicture.width));
  EXPECT_EQ(capture.At(picture.left + 37, picture.top + 37), 0xF8B330u);
}

}  // namespace
}  // namespace korvane
