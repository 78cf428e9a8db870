// Answers the first message box with the given title, as a user would:
//   korvane-closebox TITLE yes|no|ok
// Waits up to 20 seconds for the box; prints its text and exits 0 once it has
// answered it, 1 when no such box came.

#include "ui/win32/Win32Ui.h"

#include <cstdio>
#include <string>

using korvane::win32ui::Narrow;
using korvane::win32ui::Wide;

namespace {

// The static text of a message box: its longest STATIC child.
std::string BoxText(HWND box) {
  std::string text;
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t name[32] = {};
    GetClassNameW(child, name, 32);
    if (std::wstring_view(name) != L"Static") continue;
    const std::string candidate = korvane::win32ui::TextOf(child);
    if (candidate.size() > text.size()) text = candidate;
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: korvane-closebox TITLE yes|no|ok\n", stderr);
    return 2;
  }
  const std::wstring title = Wide(argv[1]);
  const std::string answer = argv[2];
  const WPARAM button = answer == "yes" ? IDYES : answer == "no" ? IDNO : IDOK;
  for (int tries = 0; tries < 200; ++tries) {
    HWND box = FindWindowW(L"#32770", title.c_str());
    if (box != nullptr) {
      std::printf("%s\n", BoxText(box).c_str());
      PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
      return 0;
    }
    Sleep(100);
  }
  std::fputs("no message box came\n", stderr);
  return 1;
}
