// The report's progress window on the Windows API: its controls, the bar and
// the current file as the report sets them, Cancel setting the flag, and every
// request to close refused.

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace korvane
