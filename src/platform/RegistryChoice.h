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

// Bitness of the registry view used when reading a 64-bit prefix: 32 reads
// the keys Windows redirects for 32-bit programs from their Wow6432Node
// branches. Default 64.
void SetWinePrefixView(int bits);

}  // namespace korvane::platform
