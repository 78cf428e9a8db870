// info FILE: the info grid of the main window for one file, as text or JSON.

#include <string>

#include "cli/CliCommand.h"
#include "cli/GridOutput.h"
#include "common/RegistryOption.h"
#include "platform/Process.h"
#include "platform/TypeLibFile.h"

namespace korvane::cli {

namespace {

constexpr int kExitRegistryUnreadable = 1;

int RunInfo(CliArgs& args) {
  if (args.operands.size() != 1) return UsageError("info takes one FILE");
  const std::string& file = args.operands[0];
  // "file.dll/2" names a type-library resource of file.dll.
  if (!PathExists(platform::LocateTypeLib(file).file)) {
    return UsageError("no such file: " + file);
  }

  BoundInspector bound;
  bound.inspector.SetFileName(file);
  bound.inspector.DisplayInfo();
  // Rows without the registration would read as "not registered": say why instead.
  if (const auto& failure = bound.inspector.RegistryFailure()) {
    return Fail(kExitRegistryUnreadable, failure->Description());
  }
  PrintGridRows(bound.infoGrid, args.json,
                Json{{"file", file}, {"registry", RegistryInUseJson()}});
  return kExitOk;
}

const CliCommand kInfo("info", "info FILE [--json]", &RunInfo);

}  // namespace

}  // namespace korvane::cli
