#include "platform/win32/LongPath.h"

#include <vector>

#include "platform/win32/WinApi.h"

namespace korvane::platform::win32 {

namespace {
// Below MAX_PATH with room for the 8.3 name that folder creation adds.
constexpr std::size_t kPlainLimit = MAX_PATH - 12;
}  // namespace

std::wstring LongPath(const std::string& path) {
  std::wstring w = Wide(path);
  if (w.size() < kPlainLimit || w.rfind(L"\\\\?\\", 0) == 0) return w;
  DWORD needed = ::GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return w;
  std::vector<wchar_t> full(needed + 1);
  DWORD n = ::GetFullPathNameW(w.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (n == 0 || n >= full.size()) return w;
  std::wstring absolute(full.data(), n);  // separators are backslashes now
  if (absolute.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + absolute.substr(2);
  return L"\\\\?\\" + absolute;
}

}  // namespace korvane::platform::win32
