#include "platform/win32/WinApi.h"
// WinApi.h first, as in every file of this back end.

#include "platform/Console.h"

namespace korvane::platform {

// A console answers GetConsoleMode; a pipe, a file or the NUL device does not
// (the C run-time's isatty calls NUL a terminal too).
bool StandardErrorIsTerminal() {
  DWORD mode = 0;
  return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

}  // namespace korvane::platform
