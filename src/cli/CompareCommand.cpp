// compare FILE1 FILE2: the comparison grid of the main window, as text or JSON.

#include <string>

#include "cli/CliCommand.h"
#include "cli/GridOutput.h"
#include "common/RegistryOption.h"
#include "platform/Process.h"
#include "platform/TypeLibFile.h"

namespace korvane::cli {

namespace {

constexpr int kExitRegistryUnreadable = 1;

int RunCompare(CliArgs& args) {
  if (args.operands.size() != 2) return UsageError("compare takes two files: FILE1 FILE2");
  for (const auto& file : args.operands) {
    if (file.empty()) return UsageError("compare needs two non-empty file names");
    if (!PathExists(platform::LocateTypeLib(file).file)) {
      return UsageError("no such file: " + file);
    }
  }

  BoundInspector bound;
  bound.inspector.SetFirstFilename(args.operands[0]);
  bound.inspector.SetSecondFilename(args.operands[1]);
  bound.inspector.DoComparison();
  if (const auto& failure = bound.inspector.RegistryFailure()) {
    return Fail(kExitRegistryUnreadable, failure->Description());
  }
  PrintGridRows(bound.comparisonGrid, args.json,
                Json{{"files", args.operands}, {"registry", RegistryInUseJson()}});
  return kExitOk;
}

const CliCommand kCompare("compare", "compare FILE1 FILE2 [--json]", &RunCompare);

}  // namespace

}  // namespace korvane::cli
