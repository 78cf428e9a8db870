#pragma once
// Writes registry operations as a "Windows Registry Editor Version 5.00" script
// in the layout the Windows registry editor uses: one block per key (sub-keys
// after their parent when the caller lists them so), a blank line after each
// block, hex data wrapped with a trailing backslash before column 80.

#include <cstdint>
#include <string>
#include <vector>

#include "formats/RegFile.h"

namespace korvane::formats {

// The script as UTF-8 text with CRLF line ends.
std::string RegFileText(const std::vector<RegOperation>& operations);
// The script as a file: UTF-16LE with a byte-order mark.
std::vector<std::uint8_t> WriteRegFile(const std::vector<RegOperation>& operations);

}  // namespace korvane::formats
