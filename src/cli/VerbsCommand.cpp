// verbs enable|disable|status [--exe PATH]: the main window's shell-verb
// toggle and presence test, for scripts.

#include <cstdio>
#include <string>

#include "cli/CliCommand.h"
#include "cli/JsonOutput.h"
#include "common/RegistryOption.h"
#include "registry/ShellVerbs.h"
#include "registry/clsRegistry.h"

namespace korvane::cli {

namespace {

constexpr int kExitRegistryUnreadable = 1;
constexpr int kExitFailed = 1;

int RunVerbs(CliArgs& args) {
  std::string action;
  std::string exePath = ShellExePath();
  const auto& ops = args.operands;
  for (std::size_t i = 0; i < ops.size(); ++i) {
    if (ops[i] == "--exe") {
      if (i + 1 >= ops.size()) return UsageError("verbs: --exe needs a path");
      exePath = ops[++i];
    } else if (ops[i].rfind("--exe=", 0) == 0) {
      exePath = ops[i].substr(6);
    } else if (action.empty()) {
      action = ops[i];
    } else {
      return UsageError("verbs: unexpected argument '" + ops[i] + "'");
    }
  }

  clsRegistry registry;
  if (action == "status") {
    const char* state = ShellVerbsPresent(registry) ? "enabled" : "disabled";
    // An unreadable registry is no "disabled".
    if (registry.RegistryFailure()) {
      return Fail(kExitRegistryUnreadable, registry.RegistryFailure()->Description());
    }
    if (args.json) {
      PrintJson(Json{{"status", state}, {"registry", RegistryInUseJson()}});
    } else {
      std::printf("%s\n", state);
    }
    return kExitOk;
  }
  if (action != "enable" && action != "disable") {
    return UsageError("verbs takes enable, disable or status");
  }
  // The toggle reads its direction from the button caption it would show.
  ShellCaptions captions{[](const std::string&) {}, [](const std::string&) {}};
  const bool done = ToggleShellExtensions(action == "enable" ? kShellEnableCaption : kShellDisableCaption,
                                          &registry, exePath, captions);
  if (registry.RegistryFailure()) {
    return Fail(kExitRegistryUnreadable, registry.RegistryFailure()->Description());
  }
  // The toggle has already said what failed.
  return done ? kExitOk : kExitFailed;
}

const CliCommand kVerbs("verbs", "verbs enable|disable|status [--exe PATH]", &RunVerbs);

}  // namespace

}  // namespace korvane::cli
