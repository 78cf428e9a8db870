#pragma once
// Applies a registry script to the registry. The file is parsed completely
// first: a malformed file changes nothing.

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

// Applies operations in order; stops at the first failure and says which line
// (and that the earlier ones were made).
RegImportResult ApplyRegOperations(const std::vector<formats::RegOperation>& operations);
RegImportResult ImportRegFile(const std::string& path);

}  // namespace korvane
