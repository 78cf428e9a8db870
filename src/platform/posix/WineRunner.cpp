#include "platform/WineRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/Process.h"
#include "platform/RegistryChoice.h"

namespace korvane::platform {

namespace fs = std::filesystem;

namespace {

// How long the wineserver may take to end after the program did; it saves
// the registry files when it ends (3 s after its last program, by default).
constexpr int kServerEndSeconds = 30;
constexpr std::size_t kMaxCapturedBytes = 1u << 20;

std::string FindInPath(const std::string& name) {
  const std::string path = GetEnv("PATH");
  std::size_t pos = 0;
  while (pos <= path.size()) {
    std::size_t end = path.find(':', pos);
    if (end == std::string::npos) end = path.size();
    const std::string dir = end > pos ? path.substr(pos, end - pos) : ".";
    const std::string candidate = dir + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    pos = end + 1;
  }
  return {};
}

std::string WithoutCarriageReturns(std::string text) {
  std::erase(text, '\r');
  return text;
}

struct Child {
  bool started = false;
  bool timedOut = false;
  int status = 0;
  std::string out;
  std::string err;
};

// Runs argv in a process group of its own, capturing both outputs, and kills
// the group when it outlives the timeout.
Child RunCaptured(const std::vector<std::string>& argv, int timeoutSeconds) {
  Child child;
  int outPipe[2];
  int errPipe[2];
  if (::pipe2(outPipe, O_CLOEXEC) != 0) return child;
  if (::pipe2(errPipe, O_CLOEXEC) != 0) {
    ::close(outPipe[0]);
    ::close(outPipe[1]);
    return child;
  }
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setpgid(0, 0);
    ::dup2(outPipe[1], STDOUT_FILENO);
    ::dup2(errPipe[1], STDERR_FILENO);
    const int devNull = ::open("/dev/null", O_RDONLY);
    if (devNull >= 0) ::dup2(devNull, STDIN_FILENO);
    // Wine's own diagnostics would bury the program's output.
    ::setenv("WINEDEBUG", "-all", 0);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  ::close(outPipe[1]);
  ::close(errPipe[1]);
  if (pid < 0) {
    ::close(outPipe[0]);
    ::close(errPipe[0]);
    return child;
  }
  child.started = true;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
  pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  std::string* sinks[2] = {&child.out, &child.err};
  int open = 2;
  while (open > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      child.timedOut = true;
      ::kill(-pid, SIGKILL);
      break;
    }
    const int ready = ::poll(fds, 2, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
      char buffer[4096];
      const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        if (sinks[i]->size() < kMaxCapturedBytes) sinks[i]->append(buffer, static_cast<std::size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  for (pollfd& p : fds) {
    if (p.fd >= 0) ::close(p.fd);
  }
  while (::waitpid(pid, &child.status, 0) < 0 && errno == EINTR) {
  }
  return child;
}

// A path made absolute and free of "." and ".." and links, as far as it exists.
fs::path Canonical(const fs::path& p) {
  std::error_code ec;
  fs::path out = fs::weakly_canonical(fs::absolute(p, ec), ec);
  return ec ? fs::absolute(p, ec).lexically_normal() : out;
}

// The entry of dir whose name equals name ignoring letter case, as Wine finds it.
std::string MatchIgnoringCase(const fs::path& dir, const std::string& name) {
  std::error_code ec;
  if (fs::exists(dir / name, ec)) return name;
  auto lower = [](std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  };
  const std::string wanted = lower(name);
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string found = it->path().filename().string();
    if (lower(found) == wanted) return found;
  }
  return name;
}

}  // namespace

const char* WindowsArchName(WindowsArch arch) { return arch == WindowsArch::X86 ? "x86" : "x64"; }

bool SetWinePrefix(const std::string& folder) {
  std::error_code ec;
  const fs::path absolute = fs::absolute(folder, ec);
  ::setenv("WINEPREFIX", (ec ? fs::path(folder) : absolute).lexically_normal().c_str(), 1);
  return true;
}

std::string WindowsCliPath(WindowsArch arch, std::string* looked) {
  const std::string name = std::string("korvane-cli-") + WindowsArchName(arch) + ".exe";
  std::vector<fs::path> candidates;
  const std::string tools = GetEnv("KORVANE_WINDOWS_TOOLS");
  if (!tools.empty()) candidates.push_back(fs::path(tools) / name);
  const fs::path here = AppPath();
  candidates.push_back(here / name);
  // An installation keeps each build in its own folder: win32-<arch>/korvane-cli.exe.
  candidates.push_back(here / (std::string("win32-") + WindowsArchName(arch)) / "korvane-cli.exe");
  // <build>/<preset>/bin/ -> <build>/win32-<arch>/bin/korvane-cli.exe
  const fs::path build = here.parent_path().parent_path().parent_path();
  candidates.push_back(build / (std::string("win32-") + WindowsArchName(arch)) / "bin" / "korvane-cli.exe");
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
  std::ifstream in(fs::path(prefix) / "system.reg");
  std::string line;
  for (int i = 0; i < 8 && std::getline(in, line); ++i) {
    if (line.rfind("#arch=win32", 0) == 0) return false;
  }
  return true;
}

std::string ToWindowsPath(const std::string& prefix, const std::string& linuxPath) {
  const fs::path target = Canonical(linuxPath);
  std::error_code ec;
  std::string bestDrive;
  fs::path bestRoot;
  for (fs::directory_iterator it(fs::path(prefix) / "dosdevices", ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() != 2 || name[1] != ':' || !std::isalpha(static_cast<unsigned char>(name[0]))) continue;
    const fs::path root = Canonical(it->path());
    const auto mismatch = std::mismatch(root.begin(), root.end(), target.begin(), target.end());
    if (mismatch.first != root.end()) continue;
    if (bestDrive.empty() || std::distance(root.begin(), root.end()) >
                                 std::distance(bestRoot.begin(), bestRoot.end())) {
      bestDrive = name;
      bestRoot = root;
    }
  }
  if (bestDrive.empty()) return {};
  std::string out(1, static_cast<char>(std::toupper(static_cast<unsigned char>(bestDrive[0]))));
  out += ":";
  const fs::path rest = target.lexically_relative(bestRoot);
  for (const fs::path& part : rest) {
    if (part == ".") continue;
    out += "\\" + part.string();
  }
  if (out.size() == 2) out += "\\";
  return out;
}

std::string FromWindowsPath(const std::string& prefix, const std::string& path) {
  // The long-path form \\?\C:\... names the same file.
  const std::string windowsPath = path.rfind("\\\\?\\", 0) == 0 ? path.substr(4) : path;
  if (windowsPath.size() < 2 || windowsPath[1] != ':' ||
      !std::isalpha(static_cast<unsigned char>(windowsPath[0]))) {
    return {};
  }
  const std::string drive(1, static_cast<char>(std::tolower(static_cast<unsigned char>(windowsPath[0]))));
  const fs::path link = fs::path(prefix) / "dosdevices" / (drive + ":");
  std::error_code ec;
  if (!fs::exists(link, ec)) return {};
  fs::path out = Canonical(link);
  std::size_t pos = 2;
  while (pos < windowsPath.size()) {
    std::size_t next = windowsPath.find_first_of("\\/", pos);
    if (next == std::string::npos) next = windowsPath.size();
    if (next > pos) out /= MatchIgnoringCase(out, windowsPath.substr(pos, next - pos));
    pos = next + 1;
  }
  return out.string();
}

WineRunResult RunWindowsCli(WindowsArch arch, const std::vector<std::string>& args) {
  WineRunResult result;
  const std::string prefix = ChosenWinePrefix();
  if (prefix.empty()) {
    result.problem = "no Wine prefix is chosen";
    return result;
  }
  const std::string wine = FindInPath("wine");
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
  std::vector<std::string> argv = {wine, tool};
  argv.insert(argv.end(), args.begin(), args.end());
  Child child = RunCaptured(argv, kWineRunTimeoutSeconds);
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
  result.ran = true;
  result.exitCode = WEXITSTATUS(child.status);
  // The registry files hold the changes once the wineserver has ended.
  const std::string server = FindInPath("wineserver");
  if (!server.empty()) RunCaptured({server, "-w"}, kServerEndSeconds);
  return result;
}

}  // namespace korvane::platform
