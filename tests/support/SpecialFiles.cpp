#include "support/SpecialFiles.h"

#ifndef _WIN32

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <future>
#include <stdexcept>
#include <vector>

namespace korvane::test {

namespace {

constexpr std::size_t kComponentLength = 200;

// Opens the folder chain below base, one descriptor per level (base first).
std::vector<int> OpenChain(const std::string& base, const std::string& component, int depth) {
  std::vector<int> fds{::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
  for (int i = 0; i < depth && fds.back() >= 0; ++i) {
    fds.push_back(::openat(fds.back(), component.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  }
  return fds;
}

void CloseAll(const std::vector<int>& fds) {
  for (int fd : fds) {
    if (fd >= 0) ::close(fd);
  }
}

}  // namespace

DeepFile::DeepFile(const std::string& base, const std::string& name, const std::string& content, std::size_t minimum)
    : base_(base), component_(kComponentLength, 'd'), name_(name) {
  folder_ = base_;
  while (folder_.size() + 1 + name_.size() <= minimum) {
    folder_ += "/" + component_;
    ++depth_;
  }
  path_ = folder_ + "/" + name_;
  int dir = ::open(base_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  for (int i = 0; i < depth_ && dir >= 0; ++i) {
    ::mkdirat(dir, component_.c_str(), 0755);
    const int next = ::openat(dir, component_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::close(dir);
    dir = next;
  }
  if (dir < 0) throw std::runtime_error("cannot build the folder chain below " + base_);
  const int file = ::openat(dir, name_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const bool written = file >= 0 && ::write(file, content.data(), content.size()) == static_cast<ssize_t>(content.size());
  if (file >= 0) ::close(file);
  ::close(dir);
  if (!written) throw std::runtime_error("cannot write " + name_ + " at the end of the folder chain");
}

DeepFile::~DeepFile() {
  const std::vector<int> fds = OpenChain(base_, component_, depth_);
  if (fds.size() == static_cast<std::size_t>(depth_) + 1 && fds.back() >= 0) ::unlinkat(fds.back(), name_.c_str(), 0);
  for (std::size_t i = fds.size(); i-- > 1;) {
    if (fds[i - 1] >= 0) ::unlinkat(fds[i - 1], component_.c_str(), AT_REMOVEDIR);
  }
  CloseAll(fds);
}

ScopedFifo::ScopedFifo(std::string path) : path_(std::move(path)) {
  if (::mkfifo(path_.c_str(), 0644) != 0) throw std::runtime_error("cannot make the FIFO " + path_);
}

ScopedFifo::~ScopedFifo() { ::unlink(path_.c_str()); }

void ScopedFifo::Release() const {
  // Read and write: opening so never waits, and counts as the writer a
  // blocked reader waits for.
  const int fd = ::open(path_.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd >= 0) ::close(fd);
}

bool EndsWithin(std::chrono::milliseconds limit, const std::function<void()>& work, const ScopedFifo& fifo) {
  auto done = std::async(std::launch::async, work);
  if (done.wait_for(limit) == std::future_status::ready) {
    done.get();
    return true;
  }
  // Released until the work ends: it may open the FIFO more than once.
  while (done.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) fifo.Release();
  done.get();
  return false;
}

}  // namespace korvane::test

#endif
