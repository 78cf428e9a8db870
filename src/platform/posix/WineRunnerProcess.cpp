#include "platform/posix/WineRunnerProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <thread>

#include "platform/Process.h"
#include "platform/WineRunner.h"

extern char** environ;

namespace korvane::platform {

namespace {

std::mutex g_pumpMutex;
std::function<void()> g_pump;
std::thread::id g_pumpThread;

}  // namespace

void SetWineWaitPump(std::function<void()> pump) {
  std::lock_guard<std::mutex> lock(g_pumpMutex);
  g_pump = std::move(pump);
  g_pumpThread = std::this_thread::get_id();
}

}  // namespace korvane::platform

namespace korvane::platform::posix {

namespace {

using Clock = std::chrono::steady_clock;

// How often a waiting thread looks again (and lets its window paint).
constexpr int kPollMs = 40;
// Once one registry file was replaced, how long the files must stay as they
// are before the save counts as done (the server writes them one by one).
constexpr auto kSettle = std::chrono::milliseconds(300);
// Beyond the save period: the server's timer runs a little late under load.
constexpr int kSaveMarginSeconds = 2;
// After the program ended, how long what it left in its pipes is read.
constexpr auto kDrain = std::chrono::milliseconds(200);
constexpr std::size_t kMaxCapturedBytes = 1u << 20;
constexpr int kExecFailed = 127;
constexpr std::array<const char*, 3> kRegistryFiles = {"system.reg", "user.reg", "userdef.reg"};

std::vector<std::string> EnvironmentWith(const std::vector<std::string>& settings) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('=') + 1);
    bool replaced = false;
    for (const std::string& s : settings) replaced = replaced || s.compare(0, name.size(), name) == 0;
    if (!replaced) env.push_back(entry);
  }
  env.insert(env.end(), settings.begin(), settings.end());
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> out;
  for (std::string& s : strings) out.push_back(s.data());
  out.push_back(nullptr);
  return out;
}

// Starts argv in a process group of its own, standard input from /dev/null,
// its outputs to outFd and errFd (/dev/null for -1). -1 when it could not.
pid_t Spawn(std::vector<std::string> argv, const std::vector<std::string>& settings, int outFd, int errFd) {
  std::vector<std::string> env = EnvironmentWith(settings);
  std::vector<char*> args = Pointers(argv);
  std::vector<char*> envp = Pointers(env);
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  ::setpgid(0, 0);
  const int devNull = ::open("/dev/null", O_RDWR);
  if (devNull >= 0) {
    ::dup2(devNull, STDIN_FILENO);
    ::dup2(outFd >= 0 ? outFd : devNull, STDOUT_FILENO);
    ::dup2(errFd >= 0 ? errFd : devNull, STDERR_FILENO);
  }
  ::execvpe(args[0], args.data(), envp.data());
  ::_exit(kExecFailed);
}

struct FileStamp {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  long long modifiedNs = 0;
  bool operator==(const FileStamp&) const = default;
};
using RegistryStamp = std::array<FileStamp, kRegistryFiles.size()>;

RegistryStamp StampOf(const std::string& prefix) {
  constexpr long long kNsPerSecond = 1000000000LL;
  RegistryStamp stamp;
  for (std::size_t i = 0; i < kRegistryFiles.size(); ++i) {
    struct stat st {};
    if (::stat((prefix + "/" + kRegistryFiles[i]).c_str(), &st) != 0) continue;
    stamp[i] = {true, st.st_dev, st.st_ino, st.st_size,
                static_cast<long long>(st.st_mtim.tv_sec) * kNsPerSecond + st.st_mtim.tv_nsec};
  }
  return stamp;
}

void EndGroup(pid_t pid) {
  ::kill(-pid, SIGKILL);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace

void PumpWhileWaiting() {
  std::function<void()> pump;
  {
    std::lock_guard<std::mutex> lock(g_pumpMutex);
    if (!g_pump || g_pumpThread != std::this_thread::get_id()) return;
    pump = g_pump;
  }
  pump();
}

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

CapturedRun RunCaptured(const std::vector<std::string>& argv, const std::vector<std::string>& settings,
                        int timeoutSeconds) {
  CapturedRun child;
  int outPipe[2];
  int errPipe[2];
  if (::pipe2(outPipe, O_CLOEXEC) != 0) return child;
  if (::pipe2(errPipe, O_CLOEXEC) != 0) {
    ::close(outPipe[0]);
    ::close(outPipe[1]);
    return child;
  }
  const pid_t pid = Spawn(argv, settings, outPipe[1], errPipe[1]);
  ::close(outPipe[1]);
  ::close(errPipe[1]);
  if (pid < 0) {
    ::close(outPipe[0]);
    ::close(errPipe[0]);
    return child;
  }
  child.started = true;
  // The run ends when the program does: Wine's own services, which the first
  // program of a session starts, keep the pipes open for as long as the
  // server runs, so what is left in them is read for a moment only.
  const auto deadline = Clock::now() + std::chrono::seconds(timeoutSeconds);
  Clock::time_point drained{};
  bool exited = false;
  pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  std::string* sinks[2] = {&child.out, &child.err};
  int open = 2;
  for (;;) {
    PumpWhileWaiting();
    if (!exited && ::waitpid(pid, &child.status, WNOHANG) == pid) {
      exited = true;
      drained = Clock::now() + kDrain;
    }
    const auto now = Clock::now();
    if (exited && (open == 0 || now >= drained)) break;
    if (!exited && now >= deadline) {
      child.timedOut = true;
      ::kill(-pid, SIGKILL);
      break;
    }
    const int ready = ::poll(fds, 2, kPollMs);
    if (ready < 0 && errno != EINTR) break;
    for (int i = 0; ready > 0 && i < 2; ++i) {
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
  if (!exited) {
    while (::waitpid(pid, &child.status, 0) < 0 && errno == EINTR) {
    }
  }
  return child;
}

std::string WaitForRegistrySave(const std::string& prefix, const std::string& server,
                                const std::vector<std::string>& settings) {
  const RegistryStamp before = StampOf(prefix);
  // `wineserver -w` returns when the server has ended, which saves the files.
  const pid_t watcher = server.empty() ? -1 : Spawn({server, "-w"}, settings, -1, -1);
  const auto deadline = Clock::now() + std::chrono::seconds(kRegistrySaveSeconds + kSaveMarginSeconds);
  std::string how = "timed out";
  bool watching = watcher > 0;
  RegistryStamp seen = before;
  Clock::time_point changedAt{};
  while (Clock::now() < deadline) {
    PumpWhileWaiting();
    int status = 0;
    if (watching && ::waitpid(watcher, &status, WNOHANG) == watcher) {
      watching = false;
      if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        how = "server ended";
        break;
      }
    }
    const RegistryStamp now = StampOf(prefix);
    if (!(now == seen)) {
      seen = now;
      changedAt = Clock::now();
    } else if (!(now == before) && Clock::now() - changedAt >= kSettle) {
      how = "saved";
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
  }
  if (watching) EndGroup(watcher);
  return how;
}

}  // namespace korvane::platform::posix
