#pragma once
// The version-information services of the system (GetFileVersionInfoSize,
// GetFileVersionInfo, and VerQueryValue for the root sub-block). On Linux the
// file's resources are read directly; the block returned is the same
// VS_VERSIONINFO tree that Windows copies out of the file.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace korvane::platform {

// Size in bytes of the file's version-information block; 0 when the file has
// none or cannot be read.
std::uint32_t GetFileVersionInfoSize(const std::string& path);

// The file's raw version-information block; nothing when the file has none
// (or an empty one) or cannot be read.
std::optional<std::vector<std::uint8_t>> GetFileVersionInfo(const std::string& path);

// Where a value lies inside the block it was found in.
struct BlockRange {
  std::size_t offset = 0;
  std::size_t length = 0;
};

// The root sub-block's value, the VS_FIXEDFILEINFO; nothing when the block has none.
std::optional<BlockRange> QueryFixedFileInfo(std::span<const std::uint8_t> block);

}  // namespace korvane::platform
