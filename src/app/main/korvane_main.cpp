// The desktop program: start-up, then the main window's event loop.

#include <QApplication>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "KorvaneVersion.h"
#include "app/basMain.h"
#include "common/RegistryOption.h"
#include "common/UnattendedPort.h"
#include "platform/Process.h"
#include "ui/QtUserPort.h"
#include "ui/QtWindowHost.h"

namespace {

constexpr const char* kUsage =
    "usage: korvane [-r \"FILE\" | -u \"FILE\" | -f \"FOLDER\" | -s | \"FILE\"]\n"
    "\n"
    "  (nothing)     open the main window\n"
    "  \"FILE\"        open the main window showing FILE's type library and version\n"
    "  -r \"FILE\"     register the component FILE, after a confirmation\n"
    "  -u \"FILE\"     unregister the component FILE, after a confirmation\n"
    "  -f \"FOLDER\"   write the version report of FOLDER to output.txt in the current\n"
    "                folder, after a confirmation\n"
    "  -s            add Register, UnRegister and Korvane to the context menus of .dll,\n"
    "                .exe and .ocx files (the registry's verbs and the file managers')\n"
    "  --help        print this text and end\n"
    "  --version     print the version and end\n"
    "\n"
    "The switches are case-sensitive; anything else is taken as a file name.\n"
    "korvane-cli does the same jobs for scripts (korvane-cli --help).\n";

// "--help" or "--version" as the only argument is answered without a window;
// any other argument text goes to the dispatcher unchanged.
bool AnsweredInformationRequest(int argc, char** argv) {
  if (argc != 2) return false;
  const std::string_view argument = argv[1];
  if (argument == "--version") {
    std::printf("korvane %s\n", KORVANE_VERSION_TEXT);
    return true;
  }
  if (argument == "--help") {
    std::fputs(kUsage, stdout);
    return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (AnsweredInformationRequest(argc, argv)) return 0;
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
