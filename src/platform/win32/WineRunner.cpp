#include "platform/WineRunner.h"

namespace korvane::platform {

// A Windows program has no prefix to choose: it runs inside one already, or on
// Windows itself.

const char* WindowsArchName(WindowsArch arch) { return arch == WindowsArch::X86 ? "x86" : "x64"; }

bool SetWinePrefix(const std::string&) { return false; }

std::string WindowsCliPath(WindowsArch arch, std::string* looked) { return WindowsCliPathFrom({}, arch, looked); }

std::string WindowsCliPathFrom(const std::string&, WindowsArch, std::string* looked) {
  if (looked != nullptr) looked->clear();
  return {};
}

bool WinePrefixIs64Bit(const std::string&) { return false; }

std::string ToWindowsPath(const std::string&, const std::string& path) { return path; }

std::string FromWindowsPath(const std::string&, const std::string& path) { return path; }

std::string WindowsNameProblem(const std::string&) { return {}; }

formats::Expected<std::string> WindowsPathForWine(const std::string&, const std::string& path) { return path; }

WineRunResult RunWindowsCli(WindowsArch, const std::vector<std::string>&) {
  WineRunResult result;
  result.problem = "a Windows program does not start Wine";
  return result;
}

void SetWineWaitPump(std::function<void()>) {}

}  // namespace korvane::platform
