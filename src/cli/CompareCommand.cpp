// compare FILE1 FILE2: the comparison grid of the main window, as text or JSON.

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

int RunCompare(CliArgs& args) {
  if (args.operands.size() != 2) return UsageError("compare takes two files: FILE1 FILE2");
  for (const auto& file : args.operands) {
    if (file.empty()) return UsageError("compare needs two non-empty file names");
    if (!PathExists(formats::LocateTypeLib(file, platform::kPathSeparator).file)) {
      return UsageError("no such file: " + file);
    }
  }

  FlexGrid infoGrid, comparisonGrid;
  clsGrid info, comparison;
  info.Init(&infoGrid);
  comparison.Init(&comparisonGrid);
  clsActiveX inspector;
  inspector.Init(&info, &comparison);
  inspector.SetFirstFilename(args.operands[0]);
  inspector.SetSecondFilename(args.operands[1]);
  inspector.DoComparison();

  const auto rows = ReadGridRows(comparisonGrid);
  if (args.json) {
    std::printf("{\"files\": [%s, %s],\n  \"rows\": %s}\n", JsonQuote(args.operands[0]).c_str(),
                JsonQuote(args.operands[1]).c_str(), GridRowsAsJson(rows).c_str());
  } else {
    std::fputs(GridRowsAsText(rows).c_str(), stdout);
  }
  return kExitOk;
}

const CliCommand kCompare("compare", "compare FILE1 FILE2 [--json]", &RunCompare);

}  // namespace

}  // namespace korvane::cli
