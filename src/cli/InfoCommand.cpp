// info FILE: the info grid of the main window for one file, as text or JSON.

#include <cstdio>
#include <string>

#include "cli/CliCommand.h"
#include "cli/GridOutput.h"
#include "common/Json.h"
#include "formats/TypeLibFile.h"
#include "inspection/clsActiveX.h"
#include "platform/Process.h"

namespace korvane::cli {

namespace {

int RunInfo(CliArgs& args) {
  if (args.operands.size() != 1) return UsageError("info takes one FILE");
  const std::string& file = args.operands[0];
  // "file.dll/2" names a type-library resource of file.dll.
  if (!PathExists(formats::LocateTypeLib(file, platform::kPathSeparator).file)) {
    return UsageError("no such file: " + file);
  }

  FlexGrid infoGrid, comparisonGrid;
  clsGrid info, comparison;
  info.Init(&infoGrid);
  comparison.Init(&comparisonGrid);
  clsActiveX inspector;
  inspector.Init(&info, &comparison);
  inspector.SetFileName(file);
  inspector.DisplayInfo();

  const auto rows = ReadGridRows(infoGrid);
  if (args.json) {
    std::printf("{\"file\": %s,\n  \"rows\": %s}\n", JsonQuote(file).c_str(), GridRowsAsJson(rows).c_str());
  } else {
    std::fputs(GridRowsAsText(rows).c_str(), stdout);
  }
  return kExitOk;
}

const CliCommand kInfo("info", "info FILE [--json]", &RunInfo);

}  // namespace

}  // namespace korvane::cli
