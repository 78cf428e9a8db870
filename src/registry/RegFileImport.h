#pragma once
// Applies a registry script to the registry. The file is read and checked
// completely first, so a malformed file changes nothing; then it is applied
// as one change of the registry, so a failing line (or a killed process)
// leaves nothing of the file where the registry groups changes (see
// platform::RegGroupsChanges).

#include <string>
#include <vector>

#include "formats/RegFile.h"

namespace korvane {

enum class RegImportStatus { Ok, FileMissing, Malformed, ApplyFailed };

struct RegImportResult {
  RegImportStatus status = RegImportStatus::Ok;
  std::string message;  // empty on success
};

// Files larger than this are refused before they are read.
inline constexpr std::size_t kRegImportMaxFileBytes = 64u << 20;

// Applies operations in order as one change; stops at the first failure and
// says which line, and what became of the lines before it.
RegImportResult ApplyRegOperations(const std::vector<formats::RegOperation>& operations);
RegImportResult ImportRegFile(const std::string& path);

}  // namespace korvane
