#include "platform/WineRunner.h"

#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <sstream>
#include <string_view>

#include "platform/FileReader.h"
#include "platform/Process.h"
#include "platform/RegistryChoice.h"
#include "platform/posix/WineRunnerProcess.h"

namespace korvane::platform {

namespace fs = std::filesystem;

namespace {

// How Wine itself starts the lines it writes when it cannot run a program
// (on standard error; start.exe, which Wine runs for a program on no drive,
// writes to standard output), and the lines of Wine that are no failure of
// its own: notices, and a crash of the program (which is the program's).
constexpr std::array<std::string_view, 2> kWineFailureStarts = {"wine: ", "wine client error"};
constexpr std::string_view kStartFailure = "ShellExecuteEx failed";
constexpr std::array<std::string_view, 4> kWineNotices = {
    "wine: Unhandled", "wine: could not open working directory", "wine: configuration in",
    "wine: created the configuration directory"};

std::string WithoutCarriageReturns(std::string text) {
  std::erase(text, '\r');
  return text;
}

// The first line of text for which failed is true; "" when there is none.
template <typename Predicate>
std::string FirstLine(const std::string& text, Predicate failed) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    const std::string_view line(text.data() + pos, end - pos);
    if (failed(line)) return std::string(line);
    pos = end + 1;
  }
  return {};
}

// What Wine said about its own failure; "" when it said nothing of the kind.
std::string WineFailure(const std::string& output, const std::string& errors) {
  const std::string own = FirstLine(errors, [](std::string_view line) {
    const auto starts = [&](std::string_view s) { return line.starts_with(s); };
    return std::any_of(kWineFailureStarts.begin(), kWineFailureStarts.end(), starts) &&
           std::none_of(kWineNotices.begin(), kWineNotices.end(), starts);
  });
  if (!own.empty()) return own;
  return FirstLine(output, [](std::string_view line) { return line.starts_with(kStartFailure); });
}

// Where system.reg gives the prefix's width.
constexpr std::uint64_t kArchLineBytes = 4096;
constexpr int kArchLineCount = 8;

std::string ToolFolderName(WindowsArch arch) { return std::string("win32-") + WindowsArchName(arch); }

}  // namespace

const char* WindowsArchName(WindowsArch arch) { return arch == WindowsArch::X86 ? "x86" : "x64"; }

bool SetWinePrefix(const std::string& folder) {
  std::error_code ec;
  const fs::path absolute = fs::absolute(folder, ec);
  ::setenv("WINEPREFIX", (ec ? fs::path(folder) : absolute).lexically_normal().c_str(), 1);
  return true;
}

std::string WindowsCliPath(WindowsArch arch, std::string* looked) {
  return WindowsCliPathFrom(AppPath(), arch, looked);
}

std::string WindowsCliPathFrom(const std::string& programFolder, WindowsArch arch, std::string* looked) {
  const std::string name = std::string("korvane-cli-") + WindowsArchName(arch) + ".exe";
  std::vector<fs::path> candidates;
  const std::string tools = GetEnv("KORVANE_WINDOWS_TOOLS");
  if (!tools.empty()) candidates.push_back(fs::path(tools) / name);
  const fs::path here = programFolder;
  candidates.push_back(here / name);
  candidates.push_back(here / ToolFolderName(arch) / "korvane-cli.exe");
#ifdef KORVANE_INSTALLED_PROGRAM_DIR
  candidates.push_back(fs::path(KORVANE_INSTALLED_PROGRAM_DIR) / ToolFolderName(arch) / "korvane-cli.exe");
#endif
  std::string list;
  for (const fs::path& c : candidates) {
    std::error_code ec;
    if (fs::is_regular_file(c, ec)) return c.string();
    list += (list.empty() ? "" : ", ") + c.string();
  }
  if (looked != nullptr) *looked = list;
  return {};
}

bool WinePrefixIs64Bit(const std::string& prefix) {
  // The #arch line comes among the first few; the file is opened without
  // waiting (a FIFO in its place is no registry).
  const auto source = OpenFileReader(prefix + "/system.reg");
  if (!source) return true;
  std::vector<std::uint8_t> head(std::min<std::uint64_t>((*source)->Size(), kArchLineBytes));
  if (!(*source)->Read(0, head)) return true;
  std::istringstream in(std::string(head.begin(), head.end()));
  std::string line;
  for (int i = 0; i < kArchLineCount && std::getline(in, line); ++i) {
    if (line.rfind("#arch=win32", 0) == 0) return false;
  }
  return true;
}

WineRunResult RunWindowsCli(WindowsArch arch, const std::vector<std::string>& args) {
  WineRunResult result;
  const std::string chosen = ChosenWinePrefix();
  if (chosen.empty()) {
    result.problem = "no Wine prefix is chosen";
    return result;
  }
  // Wine refuses a relative WINEPREFIX; the same folder as an absolute path.
  std::error_code ec;
  const std::string prefix = fs::absolute(chosen, ec).lexically_normal().string();
  const std::string wine = posix::FindInPath("wine");
  if (wine.empty()) {
    result.problem = "Wine is not installed (no wine program in PATH)";
    return result;
  }
  std::string looked;
  const std::string tool = WindowsCliPath(arch, &looked);
  if (tool.empty()) {
    result.problem = std::string("the Windows ") + WindowsArchName(arch) +
                     " korvane-cli was not found (looked for " + looked +
                     "; KORVANE_WINDOWS_TOOLS names its folder)";
    return result;
  }
  // Wine runs only what lies on one of the prefix's drives.
  const auto reachable = WindowsPathForWine(prefix, tool);
  if (!reachable) {
    result.problem = "Wine cannot start the Windows korvane-cli: " + reachable.error().message;
    return result;
  }
  std::vector<std::string> settings = {"WINEPREFIX=" + prefix};
  // Wine's own diagnostics would bury the program's output.
  if (GetEnv("WINEDEBUG").empty()) settings.push_back("WINEDEBUG=-all");
  std::vector<std::string> argv = {wine, tool};
  argv.insert(argv.end(), args.begin(), args.end());
  posix::CapturedRun child = posix::RunCaptured(argv, settings, kWineRunTimeoutSeconds);
  if (!child.started) {
    result.problem = "wine could not be started";
    return result;
  }
  result.output = WithoutCarriageReturns(std::move(child.out));
  result.errors = WithoutCarriageReturns(std::move(child.err));
  if (child.timedOut) {
    result.problem = "Wine did not finish within " + std::to_string(kWineRunTimeoutSeconds) + " s";
    return result;
  }
  if (!WIFEXITED(child.status)) {
    result.problem = "wine ended by a signal";
    return result;
  }
  result.exitCode = WEXITSTATUS(child.status);
  const std::string failure = result.exitCode == 0 ? std::string() : WineFailure(result.output, result.errors);
  if (!failure.empty()) {
    result.problem = "Wine could not run the Windows korvane-cli (" + failure + ")";
    return result;
  }
  result.ran = true;
  // What the program changed reaches the registry files when the wineserver
  // saves them, which it does on its own schedule or when it ends.
  posix::WaitForRegistrySave(prefix, posix::FindInPath("wineserver"), settings);
  return result;
}

}  // namespace korvane::platform
