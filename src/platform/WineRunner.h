#pragma once
// Running the Windows build of korvane-cli under Wine, in the chosen prefix:
// how every change to a prefix's registry is made, so that the prefix's own
// wineserver writes it (its files are never edited behind its back).
//
// The Windows programs are found, for each architecture, as:
//   1. $KORVANE_WINDOWS_TOOLS/korvane-cli-x86.exe or korvane-cli-x64.exe;
//   2. the same names beside the running program;
//   3. win32-x86/korvane-cli.exe or win32-x64/korvane-cli.exe in the running
//      program's folder (what `cmake --install` and the package put there);
//   4. <build>/win32-x86/bin/korvane-cli.exe or <build>/win32-x64/bin/...,
//      where the running program is <build>/<preset>/bin/... (a build tree).

#include <string>
#include <vector>

namespace korvane::platform {

enum class WindowsArch { X86, X64 };

// "x86" or "x64".
const char* WindowsArchName(WindowsArch arch);

// Chooses the prefix (sets WINEPREFIX, as an absolute path). False on
// Windows, where there is no prefix to choose.
bool SetWinePrefix(const std::string& folder);

// The Windows korvane-cli for arch; "" when none is found. *looked lists the
// places tried.
std::string WindowsCliPath(WindowsArch arch, std::string* looked = nullptr);

// True when the prefix runs 64-bit programs (system.reg says #arch=win64).
bool WinePrefixIs64Bit(const std::string& prefix);

// A Linux path as the prefix's programs see it: through the drive whose
// dosdevices link holds it, the longest such link first (C: for drive_c, Z:
// for the root).
std::string ToWindowsPath(const std::string& prefix, const std::string& linuxPath);
// A drive path of the prefix (C:\windows\system32\x.dll) as a Linux path,
// through the drive's dosdevices link; "" when the path has no known drive.
std::string FromWindowsPath(const std::string& prefix, const std::string& windowsPath);

struct WineRunResult {
  bool ran = false;      // the program ran to its end; exitCode is its code
  int exitCode = -1;
  std::string output;    // standard output, CR removed
  std::string errors;    // standard error, CR removed
  std::string problem;   // why it did not run or did not end ("" when it ran)
};

// Runs the Windows korvane-cli of arch with args under `wine` in the chosen
// prefix, waits for it (at most kWineRunTimeoutSeconds), then waits for the
// prefix's wineserver to end, when it saves the registry files.
inline constexpr int kWineRunTimeoutSeconds = 180;
WineRunResult RunWindowsCli(WindowsArch arch, const std::vector<std::string>& args);

}  // namespace korvane::platform
