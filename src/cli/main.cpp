// korvane-cli: common options, then one command.

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "KorvaneVersion.h"
#include "cli/CliCommand.h"
#include "cli/TerminalPort.h"
#include "common/RegistryOption.h"
#include "common/UserPort.h"
#include "platform/Registry.h"
#include "platform/RegistryChoice.h"

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

bool IsHelpOption(const std::string& a) { return a == "--help" || a == "-h"; }

bool IsRegistryOption(const std::string& a) { return a == "--registry" || a.rfind("--registry=", 0) == 0; }

bool IsWinePrefixOption(const std::string& a) { return a == "--wineprefix" || a.rfind("--wineprefix=", 0) == 0; }

}  // namespace

int main(int argc, char** argv) {
  using namespace korvane::cli;
  TerminalPort port;
  korvane::SetUserPort(&port);

  const std::vector<std::string> argList(argv, argv + argc);
  std::vector<std::string> rest;
  std::optional<std::string> registryFile;
  bool help = false;
  bool version = false;
  bool json = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    // reg takes data that may look like an option (reg add K /d -h): after the
    // command name only --registry and --wineprefix are still options there,
    // and a help option where the reg action belongs still asks for the help.
    const bool inReg = !rest.empty() && rest[0] == "reg";
    const bool regOperand = inReg && !IsRegistryOption(a) && !IsWinePrefixOption(a) &&
                            !(rest.size() == 1 && IsHelpOption(a));
    std::string optionError;
    std::size_t at = static_cast<std::size_t>(i);
    if (!regOperand && korvane::TakeWinePrefixOption(argList, at, &optionError)) {
      if (!optionError.empty()) return UsageError(optionError);
      i = static_cast<int>(at);
    } else if (regOperand) {
      rest.push_back(a);
    } else if (IsHelpOption(a)) {
      help = true;
    } else if (a == "--version") {
      version = true;
    } else if (a == "--json") {
      json = true;
    } else if (IsRegistryOption(a)) {
      if (a == "--registry") {
        if (i + 1 >= argc) return UsageError("--registry needs a path");
        registryFile = argv[++i];
      } else {
        registryFile = a.substr(a.find('=') + 1);
      }
    } else {
      rest.push_back(a);
    }
  }
  if (registryFile) korvane::platform::UseRegistryStoreFile(*registryFile);
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
      if (command->registry == RegistryUse::Uses) {
        if (const std::string problem = korvane::RegistryChoiceProblem(); !problem.empty()) {
          return UsageError(problem);
        }
      }
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
