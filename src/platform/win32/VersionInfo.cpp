#include "platform/win32/WinApi.h"
// WinApi.h first: the interface below declares functions named like the macros.

#include "platform/VersionInfo.h"

namespace korvane::platform {

std::uint32_t GetFileVersionInfoSize(const std::string& path) {
  DWORD ignored = 0;
  return ::GetFileVersionInfoSizeW(win32::Wide(path).c_str(), &ignored);
}

std::optional<std::vector<std::uint8_t>> GetFileVersionInfo(const std::string& path) {
  std::wstring wpath = win32::Wide(path);
  DWORD ignored = 0;
  DWORD size = ::GetFileVersionInfoSizeW(wpath.c_str(), &ignored);
  if (size == 0) return std::nullopt;
  std::vector<std::uint8_t> block(size, 0);
  if (!::GetFileVersionInfoW(wpath.c_str(), 0, size, block.data())) return std::nullopt;
  return block;
}

std::optional<BlockRange> QueryFixedFileInfo(std::span<const std::uint8_t> block) {
  if (block.empty()) return std::nullopt;
  void* value = nullptr;
  UINT size = 0;
  // VerQueryValueW only reads the block for the root query.
  if (!::VerQueryValueW(const_cast<std::uint8_t*>(block.data()), L"\\", &value, &size) ||
      value == nullptr || size == 0) {
    return std::nullopt;
  }
  const auto* start = block.data();
  const auto* found = static_cast<const std::uint8_t*>(value);
  if (found < start || found > start + block.size() ||
      size > static_cast<std::size_t>(start + block.size() - found)) {
    return std::nullopt;  // not inside the block the caller owns
  }
  return BlockRange{static_cast<std::size_t>(found - start), size};
}

}  // namespace korvane::platform
