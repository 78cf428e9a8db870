// reg query|add|delete|export|import: keys and values of the registry (on
// Linux the registry store), in the manner of the Windows `reg` command.
//
// Windows' reg asks before it overwrites or deletes when /f is missing. There
// is nobody to ask in a script, so add and delete go ahead without /f, as a
// script that leaves out /f expects. An existing export file is different: it
// is never overwritten without /y, because nothing could bring it back.

#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "formats/RegFile.h"
#include "registry/RegFileCommandLine.h"
#include "registry/RegFileExport.h"
#include "registry/RegFileImport.h"
#include "registry/RegFileKeys.h"
#include "registry/RegFileQuery.h"

namespace korvane::cli {

namespace {

constexpr int kExitFailed = 1;

int Query(const RegCommandLine& line, const formats::RegKeyName& key) {
  RegQueryRequest request;
  request.key = key;
  request.valueName = line.valueName;
  request.recursive = line.recursive;
  std::string output;
  long failure = platform::kErrorSuccess;
  switch (RunRegQuery(request, &output, &failure)) {
    case RegQueryStatus::Ok:
      std::fwrite(output.data(), 1, output.size(), stdout);
      return kExitOk;
    case RegQueryStatus::KeyMissing:
      return Fail(kExitFailed, "the key " + formats::RegKeyFullName(key) + " does not exist");
    case RegQueryStatus::ValueMissing:
      return Fail(kExitFailed, "the value " + (line.valueName->empty() ? std::string("(Default)") : *line.valueName) +
                                   " does not exist in " + formats::RegKeyFullName(key));
    case RegQueryStatus::Failed:
      break;
  }
  return Fail(kExitFailed, "cannot read " + formats::RegKeyFullName(key) + ": " + RegResultText(failure));
}

int Add(const RegCommandLine& line, const formats::RegKeyName& key) {
  std::uint32_t type = 1;
  if (line.type) {
    auto parsed = ParseRegAddType(*line.type);
    if (!parsed) return UsageError("unknown value type '" + *line.type + "'");
    type = *parsed;
  }
  if (!line.valueName) {
    if (line.type || line.data) return UsageError("/t and /d need /v NAME or /ve");
    platform::HKey handle = 0;
    long r = platform::RegCreateKeyEx(RegRootHandle(key.root), key.path, platform::kKeyAllSpecific, &handle);
    if (r != platform::kErrorSuccess) {
      return Fail(kExitFailed, formats::RegKeyFullName(key) + ": " + RegResultText(r));
    }
    platform::RegCloseKey(handle);
    return kExitOk;
  }
  std::string error;
  auto data = ParseRegAddData(type, line.data.value_or(std::string()), &error);
  if (!data) return UsageError(error);
  long r = RegWriteValue(key, *line.valueName, type, *data);
  if (r != platform::kErrorSuccess) {
    return Fail(kExitFailed, formats::RegKeyFullName(key) + ": " + RegResultText(r));
  }
  return kExitOk;
}

int Delete(const RegCommandLine& line, const formats::RegKeyName& key) {
  const std::string name = formats::RegKeyFullName(key);
  long r = RegProbeKey(key);
  if (r == platform::kErrorFileNotFound) return Fail(kExitFailed, "the key " + name + " does not exist");
  if (r != platform::kErrorSuccess) return Fail(kExitFailed, name + ": " + RegResultText(r));
  if (line.valueName) {
    r = RegRemoveValue(key, *line.valueName);
    if (r == platform::kErrorFileNotFound) {
      return Fail(kExitFailed, "the value " + (line.valueName->empty() ? std::string("(Default)") : *line.valueName) +
                                   " does not exist in " + name);
    }
  } else if (line.allValues) {
    r = platform::RegRunAsOneChange([&key] {
      std::vector<RegFileValue> values;
      long removed = RegReadValues(key, &values);
      for (std::size_t i = 0; removed == platform::kErrorSuccess && i < values.size(); ++i) {
        removed = RegRemoveValue(key, values[i].name);
      }
      return removed;
    });
  } else {
    if (key.path.empty()) return Fail(kExitFailed, "a root key cannot be deleted");
    r = RegDeleteTree(key);
  }
  if (r != platform::kErrorSuccess) return Fail(kExitFailed, name + ": " + RegResultText(r));
  return kExitOk;
}

int Run(CliArgs& args) {
  std::string error;
  std::optional<RegCommandLine> line = ParseRegCommandLine(args.operands, &error);
  if (!line) return UsageError(error);

  if (line->action == "import") {
    RegImportResult result = ImportRegFile(line->operands[0]);
    switch (result.status) {
      case RegImportStatus::Ok: return kExitOk;
      case RegImportStatus::FileMissing: return UsageError(result.message);
      case RegImportStatus::Malformed:
        return Fail(kExitFailed, line->operands[0] + ": " + result.message + "; nothing was changed");
      case RegImportStatus::ApplyFailed: return Fail(kExitFailed, line->operands[0] + ": " + result.message);
    }
  }

  const auto key = formats::ParseRegKeyName(line->operands[0]);
  if (!key) return UsageError(key.error().message);
  if (line->action == "query") return Query(*line, *key);
  if (line->action == "add") return Add(*line, *key);
  if (line->action == "delete") return Delete(*line, *key);
  error = ExportRegFile(*key, line->operands[1], line->overwrite);
  return error.empty() ? kExitOk : Fail(kExitFailed, error);
}

const CliCommand kReg("reg",
                      "reg query KEY [/v NAME | /ve] [/s] | add KEY [/v NAME | /ve] [/t TYPE] [/d DATA] [/f] |\n"
                      "      delete KEY [/v NAME | /ve | /va] [/f] | export KEY FILE [/y] | import FILE",
                      &Run);

}  // namespace

}  // namespace korvane::cli
