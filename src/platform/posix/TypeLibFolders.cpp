#include "platform/TypeLibFolders.h"

#include <algorithm>

#include "platform/LoaderSearch.h"
#include "platform/Process.h"

namespace korvane::platform {

namespace {

// Wine's Windows libraries as the distributions install them: Debian and
// Ubuntu (multiarch), Fedora and Arch, and WineHQ's own packages under /opt.
struct WineLibraryFolder {
  const char* path;
  bool is64Bit;
};

constexpr WineLibraryFolder kWineLibraryFolders[] = {
    {"/usr/lib/x86_64-linux-gnu/wine/x86_64-windows", true},
    {"/usr/lib/i386-linux-gnu/wine/i386-windows", false},
    {"/usr/lib64/wine/x86_64-windows", true},
    {"/usr/lib/wine/x86_64-windows", true},
    {"/usr/lib/wine/i386-windows", false},
    {"/usr/lib32/wine/i386-windows", false},
    {"/opt/wine-stable/lib64/wine/x86_64-windows", true},
    {"/opt/wine-stable/lib/wine/i386-windows", false},
};

// A prefix's folders for each width: system32 holds the 64-bit libraries of
// a 64-bit prefix, syswow64 the 32-bit ones (a 32-bit prefix has system32 only).
constexpr const char* kPrefixSystem = "/drive_c/windows/system32";
constexpr const char* kPrefixWow = "/drive_c/windows/syswow64";

std::string WinePrefixFolder() {
  const std::string prefix = GetEnv("WINEPREFIX");
  if (!prefix.empty()) return prefix;
  const std::string home = GetEnv("HOME");
  return home.empty() ? std::string() : home + "/.wine";  // Wine's default prefix
}

void AddOnce(std::vector<std::string>& folders, const std::string& folder) {
  if (folder.empty() || std::find(folders.begin(), folders.end(), folder) != folders.end()) return;
  folders.push_back(folder);
}

}  // namespace

std::vector<std::string> TypeLibImportFolders(const std::string& fileFolder, bool library64Bit) {
  std::vector<std::string> folders;
  AddOnce(folders, fileFolder);
  AddOnce(folders, LoaderSearchFolders(library64Bit).system);
  const std::string prefix = WinePrefixFolder();
  if (!prefix.empty()) {
    AddOnce(folders, prefix + (library64Bit ? kPrefixSystem : kPrefixWow));
    AddOnce(folders, prefix + (library64Bit ? kPrefixWow : kPrefixSystem));
  }
  // The library's own width first; the other one still names the same types.
  for (bool sameWidth : {true, false}) {
    for (const auto& wine : kWineLibraryFolders) {
      if ((wine.is64Bit == library64Bit) == sameWidth) AddOnce(folders, wine.path);
    }
  }
  return folders;
}

}  // namespace korvane::platform
