// deps FILE: the dependency tree as the Windows loader resolves it.

#include <cstdio>
#include <string>

#include "cli/CliCommand.h"
#include "cli/JsonOutput.h"
#include "diagnosis/Diagnosis.h"
#include "diagnosis/DiagnosisText.h"

namespace korvane::cli {

namespace {

int RunDeps(CliArgs& args) {
  if (args.operands.size() != 1) return UsageError("deps takes one FILE");
  const std::string& file = args.operands[0];
  if (!PathExists(file)) return UsageError("no such file: " + file);
  diagnosis::DependencyWalker walker;
  const diagnosis::DependencyTree tree = walker.Walk(file);
  const diagnosis::Diagnosis d = diagnosis::DiagnoseTree(file, true, tree);
  if (args.json) {
    PrintJson(Json{{"file", file},
                   {"tree", diagnosis::TreeJson(tree)},
                   {"diagnosis", diagnosis::DiagnosisJson(d)}});
    return kExitOk;
  }
  const std::string out = diagnosis::TreeText(tree);
  std::fwrite(out.data(), 1, out.size(), stdout);
  return kExitOk;
}

const CliCommand kDeps("deps", "deps FILE [--json]", &RunDeps, RegistryUse::None);

}  // namespace

}  // namespace korvane::cli
