#pragma once
// Writes 32-bit pixels (0x00RRGGBB, top row first) as an RGB PNG file, so
// that the Windows captures sit beside the Qt ones in the same format. The
// image data is stored, not compressed: captures are small.

#include <cstdint>
#include <string>
#include <vector>

namespace korvane::test {

bool WritePng(const std::string& path, int width, int height, const std::vector<std::uint32_t>& pixels);

}  // namespace korvane::test
