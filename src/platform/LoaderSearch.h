#pragma once
// Where the Windows loader looks for a module's dependencies, as far as the
// operating system decides it: the system folder for the module's processor
// width (the 32-bit view on 64-bit Windows), the Windows folder, the current
// folder and the folders of PATH. On Linux the system folder is the one that
// stands for it (SystemDirectory()); 32-bit modules use a SysWOW64 folder
// beside it when there is one, and the Windows folder is its parent.

#include <cstdint>
#include <string>
#include <vector>

namespace korvane::platform {

struct LoaderFolders {
  std::string system;
  std::string windows;
  std::string current;
  std::vector<std::string> path;  // PATH, in order, empty entries left out
};

LoaderFolders LoaderSearchFolders(bool module64Bit);

// The non-empty entries of a PATH-style list.
std::vector<std::string> SplitFolderList(const std::string& list, char separator);

// The PE machine value of the processor this program is built for
// (0x8664 x64, 0x014C x86, 0xAA64 ARM64; 0 when none of these).
std::uint16_t ProgramMachine();

}  // namespace korvane::platform
