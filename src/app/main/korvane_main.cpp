// The desktop program: start-up, then the main window's event loop.

#include <QApplication>
#include <memory>

#include "app/InformationRequest.h"
#include "app/basMain.h"
#include "common/UnattendedPort.h"
#include "platform/Process.h"
#include "ui/QtUserPort.h"
#include "ui/QtWindowHost.h"

int main(int argc, char** argv) {
  if (korvane::AnsweredInformationRequest(argc, argv)) return 0;
  korvane::platform::SetArguments(argc, argv);
  QApplication application(argc, argv);

  // Unattended, the boxes become lines on standard output while the Qt port
  // still processes the window messages.
  korvane::ui::QtUserPort qtPort;
  std::unique_ptr<korvane::UserPort> unattended = korvane::UnattendedPortFromEnvironment(qtPort);
  korvane::SetUserPort(unattended ? unattended.get() : &qtPort);

  korvane::ui::QtWindowHost windows;
  korvane::basMain start(windows);
  start.Main(korvane::platform::ArgumentText());
  // A failed start-up shows its error report and ends: there is no window.
  if (!windows.MainWindowShown()) return 1;
  return application.exec();
}
