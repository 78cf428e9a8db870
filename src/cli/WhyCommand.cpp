// why FILE: why the component cannot be loaded or registered, as one finding.

#include <cstdio>
#include <string>

#include "cli/CliCommand.h"
#include "cli/JsonOutput.h"
#include "diagnosis/Diagnosis.h"
#include "diagnosis/DiagnosisText.h"

namespace korvane::cli {

namespace {

int RunWhy(CliArgs& args) {
  if (args.operands.size() != 1) return UsageError("why takes one FILE");
  const std::string& file = args.operands[0];
  if (!PathExists(file)) return UsageError("no such file: " + file);
  const diagnosis::Diagnosis d = diagnosis::DiagnoseLoadFailure(file);
  if (args.json) {
    PrintJson(diagnosis::DiagnosisJson(d));
    return kExitOk;
  }
  const std::string out =
      std::string(diagnosis::DiagnosisKindName(d.kind)) + "\t" + diagnosis::DiagnosisText(d) + "\n";
  std::fwrite(out.data(), 1, out.size(), stdout);
  return kExitOk;
}

const CliCommand kWhy("why", "why FILE [--json]", &RunWhy, RegistryUse::None);

}  // namespace

}  // namespace korvane::cli
