#pragma once
// Reads a registry script: "Windows Registry Editor Version 5.00" in UTF-16LE
// (with BOM) or UTF-8 (with or without BOM), or "REGEDIT4" (Windows-1252).
// The whole file is parsed before anything is returned, so a caller can refuse
// a malformed file without having changed anything.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "formats/RegFile.h"

namespace korvane::formats {

struct RegParseResult {
  std::vector<RegOperation> operations;
  std::string error;   // "line N: what is wrong"; empty when the file is good
  int errorLine = 0;
  bool ok() const { return error.empty(); }
};

RegParseResult ParseRegFile(std::span<const std::uint8_t> bytes);

}  // namespace korvane::formats
