#include "platform/RegistryChoice.h"

#include <filesystem>

#include "platform/Process.h"
#include "platform/WineRunner.h"
#include "platform/posix/WinePrefixRegistry.h"

namespace korvane::platform {

RegistryChoice ChosenRegistry() {
  RegistryChoice choice;
  const std::string store = GetEnv("KORVANE_REGISTRY");
  const std::string prefix = GetEnv("WINEPREFIX");
  if (!store.empty() && !prefix.empty()) {
    choice.error = "a registry store (" + store + ") and a Wine prefix (" + prefix +
                   ") cannot be used together: give one of --registry/KORVANE_REGISTRY and "
                   "--wineprefix/WINEPREFIX";
  }
  if (!prefix.empty() && store.empty()) {
    choice.kind = RegistryKind::WinePrefix;
    choice.location = prefix;
    return choice;
  }
  choice.location = store;
  if (choice.location.empty()) {
    const std::string data = UserDataDirectory();
    if (!data.empty()) choice.location = data + "/registry.db";
  }
  return choice;
}

std::string ChosenWinePrefix() { return posix::WinePrefixRegistry::ActivePrefix(); }

std::string CheckWinePrefix(const std::string& prefix) {
  std::error_code ec;
  if (!std::filesystem::is_directory(prefix, ec)) {
    return "the Wine prefix " + prefix + " does not exist";
  }
  return posix::WinePrefixRegistry::Instance().Load(prefix);
}

std::string RegistryDescription(const RegistryChoice& choice) {
  switch (choice.kind) {
    case RegistryKind::WinePrefix:
      return "Wine prefix " + choice.location;
    case RegistryKind::Store:
      return "registry store " + choice.location;
    case RegistryKind::Windows:
      break;
  }
  return "Windows registry";
}

std::string FlushWinePrefixWrites() {
  if (ChosenWinePrefix().empty()) return {};
  return posix::WinePrefixRegistry::Instance().FlushWrites();
}

std::string EnsureWinePrefixClassKeys() {
  if (ChosenWinePrefix().empty()) return {};
  return posix::WinePrefixRegistry::Instance().EnsureClassKeys();
}

std::string ProgramPathForRegistry(const std::string& path) {
  if (ChosenWinePrefix().empty() || path.empty() || path.front() != '/') return path;
  // Wine starts Linux programs only through start /unix; the arguments that
  // follow reach the program as Wine passes them (drive paths).
  return "C:\\windows\\command\\start.exe /unix \"" + path + "\"";
}

std::string FileFromRegistryPath(const std::string& path) {
  const std::string prefix = ChosenWinePrefix();
  if (prefix.empty()) return path;
  const std::string file = FromWindowsPath(prefix, path);
  return file.empty() ? path : file;
}

std::string RegistryPathForDisplay(const std::string& path) {
  const std::string prefix = ChosenWinePrefix();
  if (prefix.empty()) return path;
  const std::string file = FromWindowsPath(prefix, path);
  return file.empty() ? path : path + " (" + file + ")";
}

void SetWinePrefixView(int bits) { posix::WinePrefixRegistry::Instance().SetView(bits); }

}  // namespace korvane::platform
