#include "platform/RegistryChoice.h"

namespace korvane::platform {

// A Windows program always works on the system's registry; under Wine that is
// the registry of the prefix it runs in.
RegistryChoice ChosenRegistry() {
  RegistryChoice choice;
  choice.kind = RegistryKind::Windows;
  return choice;
}

std::string ChosenWinePrefix() { return {}; }

std::string CheckWinePrefix(const std::string&) { return {}; }

std::string RegistryDescription(const RegistryChoice&) { return "Windows registry"; }

std::string FlushWinePrefixWrites() { return {}; }

std::string EnsureWinePrefixClassKeys() { return {}; }

std::string ProgramPathForRegistry(const std::string& path) { return path; }

std::string FileFromRegistryPath(const std::string& path) { return path; }

std::string RegistryPathForDisplay(const std::string& path) { return path; }

void SetWinePrefixView(int) {}

}  // namespace korvane::platform
