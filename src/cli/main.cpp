// korvane-cli: common options, then one command.

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "KorvaneVersion.h"
#include "cli/CliCommand.h"
#include "cli/TerminalPort.h"
#include "common/UserPort.h"
#include "platform/Registry.h"

namespace {

void PrintHelp() {
  std::printf(
      "usage: korvane-cli [--help] [--version] [--registry PATH] COMMAND [ARGS...]\n\n"
      "commands:\n");
  for (const auto* command : korvane::cli::Commands()) {
    std::printf("  %s\n", command->usage);
  }
}

bool IsHelpOption(const std::string& a) { return a == "--help" || a == "-h"; }

bool IsRegistryOption(const std::string& a) { return a == "--registry" || a.rfind("--registry=", 0) == 0; }

}  // namespace

int main(int argc, char** argv) {
  using namespace korvane::cli;
  TerminalPort port;
  korvane::SetUserPort(&port);

  std::vector<std::string> rest;
  std::optional<std::string> registryFile;
  bool help = false;
  bool version = false;
  bool json = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    // reg takes data that may look like an option (reg add K /d -h): after the
    // command name only --registry is still an option there, and a help option
    // where the reg action belongs still asks for the help.
    const bool inReg = !rest.empty() && rest[0] == "reg";
    const bool regOperand = inReg && !IsRegistryOption(a) && !(rest.size() == 1 && IsHelpOption(a));
    if (regOperand) {
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
  if (version) {
    std::printf("korvane-cli %s\n", KORVANE_VERSION_TEXT);
    return kExitOk;
  }
  if (help || rest.empty()) {
    PrintHelp();
    return help ? kExitOk : kExitUsage;
  }
  if (registryFile) korvane::platform::UseRegistryStoreFile(*registryFile);
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
