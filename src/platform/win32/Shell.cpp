#include "platform/win32/WinApi.h"
// WinApi.h first: the interface below declares functions named like the macros.

#include "platform/Shell.h"

namespace korvane::platform {

bool ShellExecuteOpen(const std::string& file, const std::string& parameters) {
  if (file.empty()) return false;
  std::wstring wfile = win32::Wide(file);
  std::wstring wparams = win32::Wide(parameters);
  HINSTANCE r = ::ShellExecuteW(nullptr, L"open", wfile.c_str(),
                                parameters.empty() ? nullptr : wparams.c_str(), nullptr,
                                SW_SHOWNORMAL);
  // The result is a code, not a real instance handle: above 32 means started.
  return reinterpret_cast<INT_PTR>(r) > 32;
}

}  // namespace korvane::platform
