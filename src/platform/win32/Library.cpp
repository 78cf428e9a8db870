#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WinApi.h"
// WinApi.h first: the interface below declares functions named like the macros.
#include "platform/Library.h"

namespace korvane::platform {

LibraryHandle LoadLibrary(const std::string& path) {
  if (path.empty()) return nullptr;
  // No loader message box for a missing dependency: the caller reports the
  // failure itself, and the command-line program has no one to click it away.
  win32::ScopedThreadErrorMode quiet(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  // With the altered search order, as regsvr32 loads: the component's own
  // folder is searched first for the modules it imports.
  return ::LoadLibraryExW(win32::Wide(path).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void* GetProcAddress(LibraryHandle library, const char* name) {
  if (library == nullptr || name == nullptr) return nullptr;
  return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), name));
}

void FreeLibrary(LibraryHandle library) {
  if (library != nullptr) ::FreeLibrary(static_cast<HMODULE>(library));
}

LoaderFailure LastLoaderFailure() { return {}; }

bool LoaderTakesPeImages() { return true; }

}  // namespace korvane::platform
