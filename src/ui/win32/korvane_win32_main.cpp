// The desktop program on the Windows API: start-up, then the main window's
// message loop. One static file, no toolkit to install.

#include <memory>

#include "app/InformationRequest.h"
#include "app/basMain.h"
#include "common/UnattendedPort.h"
#include "platform/Process.h"
#include "ui/win32/Win32Host.h"

int main(int argc, char** argv) {
  if (korvane::AnsweredInformationRequest(argc, argv)) return 0;
  korvane::platform::SetArguments(argc, argv);
  SetProcessDPIAware();

  // Unattended, the boxes become lines on standard output while the Windows
  // port still processes the window messages.
  korvane::win32ui::Win32UserPort windowsPort;
  std::unique_ptr<korvane::UserPort> unattended = korvane::UnattendedPortFromEnvironment(windowsPort);
  korvane::SetUserPort(unattended ? unattended.get() : &windowsPort);

  korvane::win32ui::Win32Host windows;
  korvane::basMain start(windows);
  start.Main(korvane::platform::ArgumentText());
  // A failed start-up shows its error report and ends: there is no window.
  if (!windows.MainWindowShown()) return 1;
  return windows.Run();
}
