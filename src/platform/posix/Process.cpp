#include "platform/Process.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/RegistryChoice.h"
#include "platform/WineRunner.h"

namespace korvane::platform {

namespace {
std::vector<std::string> g_arguments;
}

std::string AppPath() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  std::string folder = ec ? std::filesystem::current_path(ec).string() : exe.parent_path().string();
  if (folder.empty() || folder.back() != kPathSeparator) folder.push_back(kPathSeparator);
  return folder;
}

std::string ProgramFileName() { return "korvane"; }

void SetArguments(int argc, char** argv) {
  g_arguments.clear();
  for (int i = 1; i < argc; ++i) g_arguments.emplace_back(argv[i]);
}

std::string ArgumentText() { return JoinArguments(g_arguments); }

std::string GetEnv(const std::string& name) {
  const char* v = std::getenv(name.c_str());
  return v ? std::string(v) : std::string();
}

std::string UserDataDirectory() {
  std::string base = GetEnv("XDG_DATA_HOME");
  if (base.empty()) {
    std::string home = GetEnv("HOME");
    if (home.empty()) return {};
    base = home + "/.local/share";
  }
  return base + "/korvane";
}

std::string SystemDirectory() {
  // A Wine prefix's programs have their own: its C: drive's system32.
  const std::string prefix = ChosenWinePrefix();
  if (!prefix.empty()) return FromWindowsPath(prefix, "C:\\windows\\system32");
  std::string dir = GetEnv("KORVANE_SYSTEM_DIR");
  if (!dir.empty()) return dir;
  std::string data = UserDataDirectory();
  return data.empty() ? std::string() : data + "/system32";
}

void EndProcess(int code) {
  std::fflush(nullptr);
  std::_Exit(code);
}

}  // namespace korvane::platform
