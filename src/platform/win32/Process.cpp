#include "platform/win32/WinApi.h"
// WinApi.h first: the interface below declares functions named like the macros.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/Process.h"

namespace korvane::platform {

namespace {

// Calls fill(buffer, capacity) with a growing buffer until the text fits.
// fill returns the characters written, or a value >= capacity when cut short.
template <typename Fill>
std::wstring GrowingCall(Fill fill) {
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  for (int attempt = 0; attempt < 8; ++attempt) {
    DWORD n = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return std::wstring(buffer.data(), n);
    buffer.resize(std::max<std::size_t>(buffer.size() * 2, n + 1));
  }
  return {};
}

}  // namespace

std::string AppPath() {
  std::wstring exe = GrowingCall([](wchar_t* b, DWORD n) {
    DWORD r = ::GetModuleFileNameW(nullptr, b, n);
    return r >= n ? n : r;  // a full buffer means the name was cut
  });
  std::string path = win32::Narrow(exe);
  std::size_t slash = path.find_last_of("\\/");
  std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash);
  if (folder.empty() || folder.back() != kPathSeparator) folder.push_back(kPathSeparator);
  return folder;
}

std::string ProgramFileName() { return "korvane.exe"; }

// Windows keeps the argument text itself; argv is not needed.
void SetArguments(int, char**) {}

std::string ArgumentText() {
  std::wstring_view line = ::GetCommandLineW();
  // Skip the program's own path: quoted up to the closing quote, else up to
  // the first blank or tab (the rule the C run-time uses for argv[0]).
  std::size_t i = 0;
  if (!line.empty() && line[0] == L'"') {
    std::size_t close = line.find(L'"', 1);
    i = close == std::wstring_view::npos ? line.size() : close + 1;
  } else {
    while (i < line.size() && line[i] != L' ' && line[i] != L'\t') ++i;
  }
  while (i < line.size() && (line[i] == L' ' || line[i] == L'\t')) ++i;
  return win32::Narrow(line.substr(i));
}

std::string GetEnv(const std::string& name) {
  std::wstring wname = win32::Wide(name);
  std::wstring value = GrowingCall([&](wchar_t* b, DWORD n) {
    // Returns the size needed (with NUL) when the buffer is too small.
    return ::GetEnvironmentVariableW(wname.c_str(), b, n);
  });
  return win32::Narrow(value);
}

std::string UserDataDirectory() {
  std::string base = GetEnv("APPDATA");
  return base.empty() ? std::string() : base + "\\korvane";
}

std::string SystemDirectory() {
  std::wstring dir = GrowingCall([](wchar_t* b, DWORD n) {
    return static_cast<DWORD>(::GetSystemDirectoryW(b, n));
  });
  return win32::Narrow(dir);
}

void EndProcess(int code) {
  std::fflush(nullptr);
  // TerminateProcess, not ExitProcess: a worker still inside a component must
  // not get to run DLL detach code, and nothing is waited for.
  ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(code));
  ::ExitProcess(static_cast<UINT>(code));  // only if the first call was refused
}

}  // namespace korvane::platform
