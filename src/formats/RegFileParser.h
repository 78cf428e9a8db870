#pragma once
// Reads a registry script: "Windows Registry Editor Version 5.00" in UTF-16LE
// (with BOM) or UTF-8 (with or without BOM), or "REGEDIT4" (Windows-1252).
// The whole file is parsed before anything is returned, so a caller can refuse
// a malformed file without having changed anything.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "formats/Expected.h"
#include "formats/RegFile.h"

namespace korvane::formats {

// The file's operations in order; kBadRegFile with the message "line N: what
// is wrong" and Error::line N otherwise.
Expected<std::vector<RegOperation>> ParseRegFile(std::span<const std::uint8_t> bytes);

}  // namespace korvane::formats
