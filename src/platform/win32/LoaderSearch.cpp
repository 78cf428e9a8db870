#include "platform/win32/WinApi.h"
// WinApi.h first: the interface below declares functions named like the macros.
#include "platform/LoaderSearch.h"

#include <vector>

#include "platform/Process.h"

namespace korvane::platform {

namespace {

template <typename Fill>
std::string FolderFrom(Fill fill) {
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  for (int attempt = 0; attempt < 4; ++attempt) {
    const UINT n = fill(buffer.data(), static_cast<UINT>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return win32::Narrow(std::wstring_view(buffer.data(), n));
    buffer.resize(n + 1);
  }
  return {};
}

bool RunsUnderWow64() {
  BOOL wow = FALSE;
  return ::IsWow64Process(::GetCurrentProcess(), &wow) && wow;
}

}  // namespace

LoaderFolders LoaderSearchFolders(bool module64Bit) {
  LoaderFolders folders;
  folders.windows = FolderFrom([](wchar_t* b, UINT n) { return ::GetWindowsDirectoryW(b, n); });
  const bool program64 = sizeof(void*) == 8;
  if (module64Bit == program64 || (!program64 && !RunsUnderWow64())) {
    // The program's own view (a 32-bit program on 64-bit Windows sees SysWOW64 here).
    folders.system = FolderFrom([](wchar_t* b, UINT n) { return ::GetSystemDirectoryW(b, n); });
  } else if (program64) {
    folders.system = FolderFrom([](wchar_t* b, UINT n) { return ::GetSystemWow64DirectoryW(b, n); });
  } else {
    // A 64-bit module seen from a 32-bit program: the real system folder.
    folders.system = folders.windows + "\\Sysnative";
  }
  folders.current = FolderFrom([](wchar_t* b, UINT n) {
    return static_cast<UINT>(::GetCurrentDirectoryW(n, b));
  });
  folders.path = SplitFolderList(GetEnv("PATH"), ';');
  return folders;
}

}  // namespace korvane::platform
