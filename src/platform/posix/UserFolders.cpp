// The XDG base folders of the user running the program.

#include <sstream>

#include "platform/Process.h"
#include "platform/UserFiles.h"

namespace korvane::platform {

namespace {

// Only absolute paths count; a relative value is treated as unset.
std::string AbsoluteOr(const std::string& value, const std::string& fallback) {
  return !value.empty() && value.front() == '/' ? value : fallback;
}

}  // namespace

bool GetUserFolders(UserFolders& folders) {
  const std::string home = GetEnv("HOME");
  const std::string homeData = home.empty() ? std::string() : home + "/.local/share";
  const std::string homeConfig = home.empty() ? std::string() : home + "/.config";
  folders.dataHome = AbsoluteOr(GetEnv("XDG_DATA_HOME"), homeData);
  folders.configHome = AbsoluteOr(GetEnv("XDG_CONFIG_HOME"), homeConfig);
  folders.configDirs.clear();
  std::stringstream dirs(GetEnv("XDG_CONFIG_DIRS"));
  for (std::string dir; std::getline(dirs, dir, ':');) {
    if (!dir.empty() && dir.front() == '/') folders.configDirs.push_back(dir);
  }
  if (folders.configDirs.empty()) folders.configDirs.push_back("/etc/xdg");
  return !folders.dataHome.empty() && !folders.configHome.empty();
}

}  // namespace korvane::platform
