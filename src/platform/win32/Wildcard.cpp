// Letter case for the folder search's name matching on Windows, as the file
// system compares names: upper case by the system's own table (UTF-16 units).

#include "platform/win32/WinApi.h"
// WinApi.h first: the interfaces below declare functions named like its macros.
#include "platform/common/Wildcard.h"

namespace korvane::platform {

std::u32string FoldForWildcard(std::string_view text) {
  std::wstring w = win32::Wide(text);
  if (!w.empty()) ::CharUpperBuffW(w.data(), static_cast<DWORD>(w.size()));
  return std::u32string(w.begin(), w.end());
}

}  // namespace korvane::platform
