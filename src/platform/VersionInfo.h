#pragma once
// The version-information services of the system (GetFileVersionInfoSize,
// GetFileVersionInfo, and VerQueryValue for the root sub-block). On Linux the
// file's resources are read directly; the block returned is the same
// VS_VERSIONINFO tree that Windows copies out of the file.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace korvane::platform {

// Size in bytes of the file's version-information block; 0 when the file has
// none or cannot be read.
std::uint32_t GetFileVersionInfoSize(const std::string& path);

// The file's raw version-information block. False (and an empty block) when the
// file has none or cannot be read.
bool GetFileVersionInfo(const std::string& path, std::vector<std::uint8_t>& block);

// The root sub-block's value, the VS_FIXEDFILEINFO: its offset and length
// inside block. False when the block has none.
bool QueryFixedFileInfo(std::span<const std::uint8_t> block, std::size_t& offset, std::size_t& length);

}  // namespace korvane::platform
