#include "platform/Shell.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>
#include <vector>

extern char** environ;

namespace korvane::platform {

namespace {

bool IsWebAddress(const std::string& s) {
  return s.rfind("http://", 0) == 0 || s.rfind("https://", 0) == 0 ||
         s.rfind("mailto:", 0) == 0 || s.rfind("ftp://", 0) == 0;
}

bool IsExecutableFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// Splits parameters at blanks, keeping double-quoted runs together.
std::vector<std::string> SplitParameters(const std::string& text) {
  std::vector<std::string> out;
  std::string cur;
  bool quoted = false;
  bool any = false;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if (c == ' ' && !quoted) {
      if (any) out.push_back(cur);
      cur.clear();
      any = false;
    } else {
      cur.push_back(c);
      any = true;
    }
  }
  if (any) out.push_back(cur);
  return out;
}

// Starts argv[0] and reaps it in the background; nothing waits for it.
bool Spawn(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
  std::thread([pid] {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return true;
}

}  // namespace

bool ShellExecuteOpen(const std::string& file, const std::string& parameters) {
  if (file.empty()) return false;
  // A program with parameters is always started directly, never handed to a viewer.
  if (!IsWebAddress(file) && (IsExecutableFile(file) || !parameters.empty())) {
    if (!IsExecutableFile(file)) return false;
    std::vector<std::string> args{file};
    for (auto& p : SplitParameters(parameters)) args.push_back(std::move(p));
    return Spawn(args);
  }
  if (!IsWebAddress(file)) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) return false;  // nothing there to open
  }
  return Spawn({"/usr/bin/xdg-open", file});
}

}  // namespace korvane::platform
