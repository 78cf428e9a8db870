#pragma once
// Facts about the running program and its machine.

#include <string>
#include <vector>

namespace korvane::platform {

// The separator of path components on this platform ('\\' or '/').
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The folder of the program file, always ending in one separator.
std::string AppPath();
// The file name the shell verbs start ("korvane.exe" on Windows, "korvane" elsewhere).
std::string ProgramFileName();
// The process's argument text: what follows the program's own path, as one string.
// On Linux it is rebuilt from argv (joined by single blanks, an argument with a
// blank wrapped in double quotes); SetArguments must be called first there.
std::string ArgumentText();
void SetArguments(int argc, char** argv);
// The joining rule of ArgumentText, for argv-style lists.
std::string JoinArguments(const std::vector<std::string>& args);

// The system folder (GetSystemDirectory); on Linux the chosen Wine prefix's
// drive_c/windows/system32 (through its C: drive), else KORVANE_SYSTEM_DIR,
// else $XDG_DATA_HOME/korvane/system32. Empty when it cannot be determined.
std::string SystemDirectory();
// The per-user data folder of the program on Linux ($XDG_DATA_HOME/korvane).
std::string UserDataDirectory();

// Environment variable; empty when unset.
std::string GetEnv(const std::string& name);

// Ends the process at once with the given code: nothing else runs, no worker is
// waited for. Standard output and error are flushed first.
[[noreturn]] void EndProcess(int code);

}  // namespace korvane::platform
