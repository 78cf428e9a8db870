// korvane-cli: common options, then one command.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/RegistryOption.h"
#include "cli/CliCommand.h"
#include "cli/TerminalPort.h"
#include "common/UserPort.h"
#include "platform/RegistryChoice.h"

#ifndef KORVANE_VERSION_TEXT
#define KORVANE_VERSION_TEXT "1.0.1"
#endif

namespace {

void PrintRegistryHelp() {
  std::printf(
      "\nregistry: info, compare, register, unregister, verbs and reg work on\n"
      "  - a Wine prefix's registry when --wineprefix DIR or WINEPREFIX names one: read from\n"
      "    its registry files, written by the Windows korvane-cli running under Wine there;\n"
      "  - else the registry store (--registry PATH, KORVANE_REGISTRY, or\n"
      "    $XDG_DATA_HOME/korvane/registry.db). A store and a prefix together are refused.\n"
      "  now: %s\n",
      korvane::RegistryInUse().c_str());
}

void PrintHelp() {
  std::printf(
      "usage: korvane-cli [--help] [--version] [--registry PATH | --wineprefix DIR] COMMAND [ARGS...]\n\n"
      "commands:\n");
  for (const auto* command : korvane::cli::Commands()) {
    std::printf("  %s\n", command->usage);
  }
  PrintRegistryHelp();
}

}  // namespace

int main(int argc, char** argv) {
  using namespace korvane::cli;
  TerminalPort port;
  korvane::SetUserPort(&port);

  const std::vector<std::string> argList(argv, argv + argc);
  std::vector<std::string> rest;
  bool help = false;
  bool version = false;
  bool json = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    // reg takes data that may look like an option (reg add K /d -h): after the
    // command name only --registry and --wineprefix are still options there.
    const bool regOperand = !rest.empty() && rest[0] == "reg" && a != "--registry" &&
                            a.rfind("--registry=", 0) != 0 && a != "--wineprefix" &&
                            a.rfind("--wineprefix=", 0) != 0;
    std::string optionError;
    std::size_t at = static_cast<std::size_t>(i);
    if (!regOperand && korvane::TakeWinePrefixOption(argList, at, &optionError)) {
      if (!optionError.empty()) return UsageError(optionError);
      i = static_cast<int>(at);
    } else if (regOperand) {
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
  if (const std::string problem = korvane::RegistryChoiceProblem(); !problem.empty()) return UsageError(problem);
  for (const auto* command : Commands()) {
    if (rest[0] == command->name) {
      CliArgs args;
      args.operands.assign(rest.begin() + 1, rest.end());
      args.json = json;
      const int code = command->handler(args);
      // Changes to a Wine prefix are carried out by Wine once the command is done.
      const std::string unwritten = korvane::platform::FlushWinePrefixWrites();
      return unwritten.empty() || code != kExitOk ? code : Fail(1, unwritten);
    }
  }
  return UsageError("unknown command '" + rest[0] + "' (see --help)");
}
