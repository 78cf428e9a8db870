#include "TreeHelpers.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace korvane::test {

void MakeFolder(const std::string& path) { std::filesystem::create_directories(path); }

void MakeFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary);
  if (!out) throw std::runtime_error("cannot create " + path);
  out << content;
}

std::vector<std::string> ReaddirNames(const std::string& folder) {
  std::vector<std::string> names;
  DIR* d = ::opendir(folder.c_str());
  if (d == nullptr) return names;
  while (dirent* e = ::readdir(d)) names.push_back(e->d_name);
  ::closedir(d);
  return names;
}

std::vector<std::string> ReaddirOrder(const std::string& folder, bool recursive) {
  std::vector<std::string> files;
  std::vector<std::string> names = ReaddirNames(folder);
  if (recursive) {
    for (const std::string& name : names) {
      if (name == "." || name == "..") continue;
      struct stat st {};
      if (::lstat((folder + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        std::vector<std::string> below = ReaddirOrder(folder + name + "/", true);
        files.insert(files.end(), below.begin(), below.end());
      }
    }
  }
  for (const std::string& name : names) {
    struct stat st {};
    if (::stat((folder + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) continue;
    files.push_back(folder + name);
  }
  return files;
}

namespace {

std::vector<std::string> NamesAt(int dirFd) {
  std::vector<std::string> names;
  int fd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY);
  if (fd < 0) return names;
  DIR* d = ::fdopendir(fd);
  if (d == nullptr) {
    ::close(fd);
    return names;
  }
  while (dirent* e = ::readdir(d)) {
    std::string n = e->d_name;
    if (n != "." && n != "..") names.push_back(n);
  }
  ::closedir(d);
  return names;
}

bool IsFolderAt(int dirFd, const std::string& name) {
  struct stat st {};
  return ::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

void RemoveTree(const std::string& root) {
  int top = ::open(root.c_str(), O_RDONLY | O_DIRECTORY);
  if (top < 0) return;
  unsigned counter = 0;
  for (bool again = true; again;) {
    again = false;
    for (const std::string& name : NamesAt(top)) {
      if (!IsFolderAt(top, name)) {
        ::unlinkat(top, name.c_str(), 0);
        continue;
      }
      again = true;
      int sub = ::openat(top, name.c_str(), O_RDONLY | O_DIRECTORY);
      if (sub < 0) continue;
      for (const std::string& child : NamesAt(sub)) {
        if (IsFolderAt(sub, child)) {
          std::string moved =
              "~moved-" + std::to_string(counter++) + "-" + std::to_string(::getpid());
          ::renameat(sub, child.c_str(), top, moved.c_str());
        } else {
          ::unlinkat(sub, child.c_str(), 0);
        }
      }
      ::close(sub);
      ::unlinkat(top, name.c_str(), AT_REMOVEDIR);
    }
  }
  ::close(top);
  ::rmdir(root.c_str());
}

int RunBounded(std::chrono::milliseconds limit, const std::function<int()>& work) {
  const pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    int code = 255;
    try {
      code = work();
    } catch (const std::exception&) {
      code = 254;
    }
    ::_exit(code & 0xFF);
  }
  const auto deadline = std::chrono::steady_clock::now() + limit;
  int status = 0;
  while (::waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() >= deadline) {
      ::kill(child, SIGKILL);
      ::waitpid(child, &status, 0);
      return kTimedOut;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
}

}  // namespace korvane::test
