#pragma once
// Which registry the registry functions work on. On Linux: the registry store
// (the default), or the registry of a Wine prefix when WINEPREFIX names one
// (the variable every Wine tool honours; --wineprefix sets it). A prefix is
// read from its own registry files and written only through Wine. On Windows
// always the system's registry: a Windows program running under Wine is
// already inside its prefix.

#include <string>

namespace korvane::platform {

enum class RegistryKind { Store, WinePrefix, Windows };

struct RegistryChoice {
  RegistryKind kind = RegistryKind::Store;
  std::string location;  // the store file or the prefix folder ("" on Windows)
  std::string error;     // set when the choice is not usable: a usage error
  bool ok() const { return error.empty(); }
};

// The choice the environment makes now: KORVANE_REGISTRY and WINEPREFIX
// together are an error.
RegistryChoice ChosenRegistry();

// The prefix folder when a prefix is chosen, else "".
std::string ChosenWinePrefix();

// Checks that a chosen prefix can be read (folder, system.reg and user.reg
// present and well formed); "" when it can, else a one-line reason.
std::string CheckWinePrefix(const std::string& prefix);

// One line for people: "Wine prefix /home/u/.wine", "registry store /x.db".
std::string RegistryDescription(const RegistryChoice& choice);

// Carries out the writes planned for a chosen prefix (they reach it through
// Wine); "" when done or when there were none, else why not.
std::string FlushWinePrefixWrites();

// Before shell verbs are written into a prefix: gives it the class keys of
// .dll, .exe and .ocx where it lacks them (a fresh prefix has none); "" when
// done. Nothing to do for the store or on Windows.
std::string EnsureWinePrefixClassKeys();

// How a command written into the registry in use starts a program: in a
// prefix, Wine's start.exe runs the Linux program (start /unix), elsewhere
// the path as it is.
std::string ProgramPathForRegistry(const std::string& path);

// A file named on the command line, as this program opens it: in a prefix a
// drive path (what Wine passes to a program it starts) is the Linux file its
// dosdevices link names; elsewhere, or for other paths, the path as it is.
std::string FileFromRegistryPath(const std::string& path);

// A file path read from the registry in use, as shown to people: in a prefix
// a drive path is followed by the Linux file it names, through the prefix's
// dosdevices links ("C:\windows\x.dll (/home/u/.wine/drive_c/windows/x.dll)");
// elsewhere the path as it is.
std::string RegistryPathForDisplay(const std::string& path);

// Bitness of the registry view used when reading a 64-bit prefix: 32 reads
// the keys Windows redirects for 32-bit programs from their Wow6432Node
// branches. Default 64.
void SetWinePrefixView(int bits);

}  // namespace korvane::platform
