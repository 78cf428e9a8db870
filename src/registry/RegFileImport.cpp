#include "registry/RegFileImport.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "formats/RegFileParser.h"
#include "registry/RegFileKeys.h"

namespace korvane {

namespace {

using formats::RegOpKind;
using formats::RegOperation;

long Apply(const RegOperation& op) {
  switch (op.kind) {
    case RegOpKind::CreateKey: {
      platform::HKey handle = 0;
      long r = platform::RegCreateKeyEx(RegRootHandle(op.key.root), op.key.path, platform::kKeyAllSpecific,
                                        &handle);
      if (r == platform::kErrorSuccess) platform::RegCloseKey(handle);
      return r;
    }
    case RegOpKind::DeleteKey: {
      // Deleting what is not there is no failure, as in the registry editor.
      long r = RegDeleteTree(op.key);
      return r == platform::kErrorFileNotFound ? platform::kErrorSuccess : r;
    }
    case RegOpKind::SetValue:
      return RegWriteValue(op.key, op.valueName, op.type, op.data);
    case RegOpKind::DeleteValue: {
      long r = RegRemoveValue(op.key, op.valueName);
      return r == platform::kErrorFileNotFound ? platform::kErrorSuccess : r;
    }
  }
  return platform::kErrorInvalidParameter;
}

}  // namespace

RegImportResult ApplyRegOperations(const std::vector<RegOperation>& operations) {
  std::size_t failed = operations.size();
  const long r = platform::RegRunAsOneChange([&] {
    for (std::size_t i = 0; i < operations.size(); ++i) {
      const long applied = Apply(operations[i]);
      if (applied != platform::kErrorSuccess) {
        failed = i;
        return applied;
      }
    }
    return platform::kErrorSuccess;
  });
  if (r == platform::kErrorSuccess) return {};
  RegImportResult result;
  result.status = RegImportStatus::ApplyFailed;
  result.message = RegResultText(r);
  if (failed < operations.size()) {
    result.message = "line " + std::to_string(operations[failed].line) + ": " + result.message;
  }
  if (platform::RegGroupsChanges()) {
    result.message += "; nothing was changed";
  } else if (failed < operations.size()) {
    result.message += "; the import stopped there";
    if (failed > 0) result.message += " after the changes of the lines before it were made";
  }
  return result;
}

RegImportResult ImportRegFile(const std::string& path) {
  RegImportResult result;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    result.status = RegImportStatus::FileMissing;
    result.message = "cannot find the file '" + path + "'";
    return result;
  }
  auto size = std::filesystem::file_size(path, ec);
  if (ec || size > kRegImportMaxFileBytes) {
    result.status = RegImportStatus::Malformed;
    result.message = ec ? "cannot read '" + path + "'" : "'" + path + "' is too large for a registry file";
    return result;
  }
  std::ifstream in(path, std::ios::binary);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in && !in.eof()) {
    result.status = RegImportStatus::Malformed;
    result.message = "cannot read '" + path + "'";
    return result;
  }
  const auto parsed = formats::ParseRegFile(bytes);
  if (!parsed) {
    result.status = RegImportStatus::Malformed;
    result.message = parsed.error().message;
    return result;
  }
  return ApplyRegOperations(*parsed);
}

}  // namespace korvane
