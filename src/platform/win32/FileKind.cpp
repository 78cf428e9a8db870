#include "platform/win32/LongPath.h"
#include "platform/win32/WinApi.h"
// WinApi.h first: the interface below declares functions named like the macros.
#include "platform/FileKind.h"

#include <array>
#include <string_view>

#include "formats/TextCodec.h"

namespace korvane::platform {

namespace {

// True for the device namespace (\\.\pipe\x, \\.\COM1, ...).
bool InDeviceNamespace(std::string_view path) {
  return path.size() >= 4 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/') &&
         path[2] == '.' && (path[3] == '\\' || path[3] == '/');
}

// True when the last component is a reserved device name (CON, NUL, COM1,
// ...), with or without an extension: Windows opens the device for it in
// every folder.
bool NamesReservedDevice(std::string_view path) {
  const std::size_t cut = path.find_last_of("\\/:");
  std::string_view name = cut == std::string_view::npos ? path : path.substr(cut + 1);
  name = name.substr(0, name.find('.'));
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  const std::string upper = formats::ToUpperAscii(name);
  static constexpr std::array<std::string_view, 4> kPlain = {"CON", "PRN", "AUX", "NUL"};
  for (std::string_view reserved : kPlain) {
    if (upper == reserved) return true;
  }
  return upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT")) && upper[3] >= '1' &&
         upper[3] <= '9';
}

}  // namespace

FileKind KindOfFile(const std::string& path) {
  if (path.empty()) return FileKind::Missing;
  if (InDeviceNamespace(path) || NamesReservedDevice(path)) return FileKind::Other;
  const DWORD attributes = ::GetFileAttributesW(win32::LongPath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return FileKind::Missing;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return FileKind::Directory;
  if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) return FileKind::Other;
  return FileKind::Regular;
}

}  // namespace korvane::platform
