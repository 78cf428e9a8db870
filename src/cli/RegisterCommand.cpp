// register FILE / unregister FILE: the main window's registration, reported as
// text or JSON, with the outcome code as the exit code.

#include <cstdio>
#include <string>

#include "cli/CliCommand.h"
#include "cli/JsonOutput.h"
#include "common/RegistryOption.h"
#include "diagnosis/DiagnosisText.h"
#include "platform/Process.h"
#include "registration/RegistrationOutcome.h"
#include "registration/clsRegistrator.h"

namespace korvane::cli {

namespace {

constexpr int kExitThreadNotStarted = 9;

int ExitCodeOf(const clsRegistrator::Result& r) {
  if (r.outOfProcess && r.started) return kExitOk;
  if (r.outcome == RegistrationSucceeded || r.outcome == UnregistrationSucceeded) return kExitOk;
  if (r.outcome == ThreadNotStarted) return kExitThreadNotStarted;
  return r.outcome;
}

int Run(CliArgs& args, bool unregister) {
  if (args.operands.size() != 1) {
    return UsageError(std::string(unregister ? "unregister" : "register") + " takes one FILE");
  }
  clsRegistrator::Result r = clsRegistrator::Perform(args.operands[0], unregister);
  const char* message = clsRegistrator::MessageOf(r);
  std::string text;
  if (r.outOfProcess && r.started) {
    text = r.commandLine;
  } else if (message != nullptr) {
    text = message;
  }
  if (args.json) {
    Json document{{"outcome", r.outcome}, {"message", message ? message : ""}};
    if (r.outOfProcess) document["commandLine"] = r.commandLine;
    if (r.diagnosis) document["diagnosis"] = diagnosis::DiagnosisJson(*r.diagnosis);
    if (!r.detail.empty()) document["detail"] = r.detail;
    document["registry"] = RegistryInUseJson();
    PrintJson(document);
  } else if (!text.empty()) {
    // The reason goes on a line of its own (its notes after it).
    if (r.diagnosis) text += "\n" + diagnosis::DiagnosisText(*r.diagnosis);
    std::printf("%s\n", text.c_str());
    if (!r.detail.empty()) std::fprintf(stderr, "korvane-cli: %s\n", r.detail.c_str());
  } else {
    std::fprintf(stderr, "korvane-cli: the worker thread could not be started\n");
  }
  // A worker that timed out may still run inside the library: end at once.
  platform::EndProcess(ExitCodeOf(r));
}

int RunRegister(CliArgs& args) { return Run(args, false); }
int RunUnregister(CliArgs& args) { return Run(args, true); }

const CliCommand kRegister("register", "register FILE [--json]", &RunRegister);
const CliCommand kUnregister("unregister", "unregister FILE [--json]", &RunUnregister);

}  // namespace

}  // namespace korvane::cli
