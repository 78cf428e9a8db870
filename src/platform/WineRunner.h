#pragma once
// Running the Windows build of korvane-cli under Wine, in the chosen prefix:
// how every change to a prefix's registry is made, so that the prefix's own
// wineserver writes it (its files are never edited behind its back).
//
// The Windows programs are found, for each architecture, only where their
// owner put them:
//   1. $KORVANE_WINDOWS_TOOLS/korvane-cli-x86.exe or korvane-cli-x64.exe;
//   2. the same names beside the running program;
//   3. win32-x86/korvane-cli.exe or win32-x64/korvane-cli.exe in the running
//      program's folder (what `cmake --install` and the package put there; a
//      build tree links these folders to its Windows builds);
//   4. the same in the program folder of the installation the program was
//      built for (/usr/lib/korvane by default).
// Nothing above the program's folder is looked at: a folder there may belong
// to anyone.

#include <functional>
#include <string>
#include <vector>

#include "formats/Expected.h"

namespace korvane::platform {

enum class WindowsArch { X86, X64 };

// "x86" or "x64".
const char* WindowsArchName(WindowsArch arch);

// Chooses the prefix (sets WINEPREFIX, as an absolute path). False on
// Windows, where there is no prefix to choose.
bool SetWinePrefix(const std::string& folder);

// The Windows korvane-cli for arch; "" when none is found. *looked lists the
// places tried. programFolder stands for the running program's folder.
std::string WindowsCliPath(WindowsArch arch, std::string* looked = nullptr);
std::string WindowsCliPathFrom(const std::string& programFolder, WindowsArch arch, std::string* looked);

// True when the prefix runs 64-bit programs (system.reg says #arch=win64).
bool WinePrefixIs64Bit(const std::string& prefix);

// A Linux path as the prefix's programs see it: through the drive whose
// dosdevices link holds it, the longest such link first (C: for drive_c, Z:
// for the root).
std::string ToWindowsPath(const std::string& prefix, const std::string& linuxPath);
// A drive path of the prefix (C:\windows\system32\x.dll) as a Linux path,
// through the drive's dosdevices link; "" when the path has no known drive.
std::string FromWindowsPath(const std::string& prefix, const std::string& windowsPath);

// Why a file or folder name cannot reach a Windows program as it is ("" when
// it can): a backslash (Wine would read it as a folder separator), one of
// <>:"|?* or a control character, a trailing dot or blank (Windows drops
// them), or a device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, also with an
// extension).
std::string WindowsNameProblem(const std::string& name);
// The drive path of linuxPath (as ToWindowsPath), or why Wine cannot be given
// it: a name Windows cannot express, or no drive of the prefix holding it.
formats::Expected<std::string> WindowsPathForWine(const std::string& prefix, const std::string& linuxPath);

struct WineRunResult {
  bool ran = false;      // the program ran to its end; exitCode is its code
  int exitCode = -1;
  std::string output;    // standard output, CR removed
  std::string errors;    // standard error, CR removed
  std::string problem;   // why it did not run or did not end ("" when it ran)
};

// Runs the Windows korvane-cli of arch with args under `wine` in the chosen
// prefix (given to Wine as an absolute path), waits for it (at most
// kWineRunTimeoutSeconds), then until the prefix's registry files hold what it
// changed: until the wineserver saves them, on its own schedule (every
// kRegistrySaveSeconds while other programs keep it running) or when it ends.
// Wine is not started when it could not reach the program (no drive of the
// prefix holds it); a failure of Wine itself is reported as Wine's.
inline constexpr int kWineRunTimeoutSeconds = 180;
inline constexpr int kRegistrySaveSeconds = 30;
WineRunResult RunWindowsCli(WindowsArch arch, const std::vector<std::string>& args);

// Called every few milliseconds, on the thread that set it, while that thread
// waits for Wine, so that a window keeps painting; an empty function for none.
void SetWineWaitPump(std::function<void()> pump);

}  // namespace korvane::platform
