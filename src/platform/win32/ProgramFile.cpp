#include "platform/win32/WinApi.h"
// WinApi.h first: it is the one place that includes <windows.h>.
#include <vector>

#include "platform/ProgramFile.h"

namespace korvane::platform {

std::string ProgramFilePath() {
  // A path longer than the buffer comes back cut to the buffer's size: grow it.
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  for (int attempt = 0; attempt < 8; ++attempt) {
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return win32::Narrow({buffer.data(), n});
    buffer.resize(buffer.size() * 2);
  }
  return {};
}

}  // namespace korvane::platform
