#include "platform/win32/WinApi.h"
// WinApi.h first: the interface below declares functions named like the macros.

#include "platform/VersionInfo.h"

namespace korvane::platform {

std::uint32_t GetFileVersionInfoSize(const std::string& path) {
  DWORD ignored = 0;
  return ::GetFileVersionInfoSizeW(win32::Wide(path).c_str(), &ignored);
}

bool GetFileVersionInfo(const std::string& path, std::vector<std::uint8_t>& block) {
  block.clear();
  std::wstring wpath = win32::Wide(path);
  DWORD ignored = 0;
  DWORD size = ::GetFileVersionInfoSizeW(wpath.c_str(), &ignored);
  if (size == 0) return false;
  block.assign(size, 0);
  if (!::GetFileVersionInfoW(wpath.c_str(), 0, size, block.data())) {
    block.clear();
    return false;
  }
  return true;
}

bool QueryFixedFileInfo(std::span<const std::uint8_t> block, std::size_t& offset, std::size_t& length) {
  if (block.empty()) return false;
  void* value = nullptr;
  UINT size = 0;
  // VerQueryValueW only reads the block for the root query.
  if (!::VerQueryValueW(const_cast<std::uint8_t*>(block.data()), L"\\", &value, &size) ||
      value == nullptr || size == 0) {
    return false;
  }
  const auto* start = block.data();
  const auto* found = static_cast<const std::uint8_t*>(value);
  if (found < start || found > start + block.size() ||
      size > static_cast<std::size_t>(start + block.size() - found)) {
    return false;  // not inside the block the caller owns
  }
  offset = static_cast<std::size_t>(found - start);
  length = size;
  return true;
}

}  // namespace korvane::platform
