// The desktop program: start-up, then the main window's event loop.

#include <QApplication>
#include <memory>
#include <string>
#include <vector>

#include "app/InformationRequest.h"
#include "app/basMain.h"
#include "common/RegistryOption.h"
#include "common/UnattendedPort.h"
#include "platform/Process.h"
#include "platform/WineRunner.h"
#include "ui/QtUserPort.h"
#include "ui/QtWindowHost.h"

int main(int argc, char** argv) {
  if (korvane::AnsweredInformationRequest(argc, argv)) return 0;
  // Leading --wineprefix DIR options choose a Wine prefix; the switch text follows them.
  const std::vector<std::string> args(argv, argv + argc);
  std::vector<char*> kept = {argv[0]};
  std::string optionError;
  std::size_t i = 1;
  for (std::size_t at = i; i < args.size() && korvane::TakeWinePrefixOption(args, at, &optionError);
       at = i) {
    i = at + 1;
  }
  for (; i < args.size(); ++i) kept.push_back(argv[i]);
  korvane::platform::SetArguments(static_cast<int>(kept.size()), kept.data());
  QApplication application(argc, argv);

  // Unattended, the boxes become lines on standard output while the Qt port
  // still processes the window messages.
  korvane::ui::QtUserPort qtPort;
  std::unique_ptr<korvane::UserPort> unattended = korvane::UnattendedPortFromEnvironment(qtPort);
  korvane::SetUserPort(unattended ? unattended.get() : &qtPort);
  // While Wine writes a prefix's registry, the windows keep painting; clicks
  // and keys wait until it is done (the registry is not re-entered).
  korvane::platform::SetWineWaitPump(
      [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });

  const std::string problem = optionError.empty() ? korvane::RegistryChoiceProblem() : optionError;
  if (!problem.empty()) {
    korvane::MsgBox(problem, korvane::kMbOkOnly + korvane::kMbIconError);
    return 2;
  }

  korvane::ui::QtWindowHost windows;
  korvane::basMain start(windows);
  start.Main(korvane::platform::ArgumentText());
  // A failed start-up shows its error report and ends: there is no window.
  if (!windows.MainWindowShown()) return 1;
  return application.exec();
}
