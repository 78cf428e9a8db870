// korvane-cli: common options, then one command.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "KorvaneVersion.h"
#include "cli/CliCommand.h"
#include "cli/TerminalPort.h"
#include "common/UserPort.h"

namespace {

void PrintHelp() {
  std::printf(
      "usage: korvane-cli [--help] [--version] [--registry PATH] COMMAND [ARGS...]\n\n"
      "commands:\n");
  for (const auto* command : korvane::cli::Commands()) {
    std::printf("  %s\n", command->usage);
  }
}

}  // namespace

int main(int argc, char** argv) {
  using namespace korvane::cli;
  TerminalPort port;
  korvane::SetUserPort(&port);

  std::vector<std::string> rest;
  bool help = false;
  bool version = false;
  bool json = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    // reg takes data that may look like an option (reg add K /d -h): after the
    // command name only --registry is still an option there.
    const bool regOperand = !rest.empty() && rest[0] == "reg" && a != "--registry" &&
                            a.rfind("--registry=", 0) != 0;
    if (regOperand) {
      rest.push_back(a);
    } else if (a == "--help" || a == "-h") {
      help = true;
    } else if (a == "--version") {
      version = true;
    } else if (a == "--json") {
      json = true;
    } else if (a == "--registry" || a.rfind("--registry=", 0) == 0) {
      std::string path;
      if (a == "--registry") {
        if (i + 1 >= argc) return UsageError("--registry needs a path");
        path = argv[++i];
      } else {
        path = a.substr(11);
      }
#ifdef _WIN32
      _putenv_s("KORVANE_REGISTRY", path.c_str());
#else
      setenv("KORVANE_REGISTRY", path.c_str(), 1);
#endif
    } else {
      rest.push_back(a);
    }
  }
  if (version) {
    std::printf("korvane-cli %s\n", KORVANE_VERSION_TEXT);
    return kExitOk;
  }
  if (help || rest.empty()) {
    PrintHelp();
    return help ? kExitOk : kExitUsage;
  }
  for (const auto* command : Commands()) {
    if (rest[0] == command->name) {
      CliArgs args;
      args.operands.assign(rest.begin() + 1, rest.end());
      args.json = json;
      return command->handler(args);
    }
  }
  return UsageError("unknown command '" + rest[0] + "' (see --help)");
}
