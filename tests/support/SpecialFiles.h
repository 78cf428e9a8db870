#pragma once
// Files that ordinary path calls do not handle, for the readers' tests (POSIX
// only): a file deeper than the kernel's path limit, and a FIFO named like a
// component, with a bounded wait for work that might block on it.

#ifndef _WIN32

#include <chrono>
#include <functional>
#include <string>

namespace korvane::test {

// A file at the end of a chain of folders below base whose full path is
// longer than `minimum` bytes; built and removed with *at calls.
class DeepFile {
 public:
  DeepFile(const std::string& base, const std::string& name, const std::string& content,
           std::size_t minimum = 6000);
  ~DeepFile();
  DeepFile(const DeepFile&) = delete;
  DeepFile& operator=(const DeepFile&) = delete;

  const std::string& path() const { return path_; }
  // path() without the file name, no trailing separator.
  const std::string& folder() const { return folder_; }

 private:
  std::string base_;
  std::string component_;
  std::string name_;
  int depth_ = 0;
  std::string folder_;
  std::string path_;
};

// A FIFO at path (whose folder exists), removed when the object goes.
class ScopedFifo {
 public:
  explicit ScopedFifo(std::string path);
  ~ScopedFifo();
  ScopedFifo(const ScopedFifo&) = delete;
  ScopedFifo& operator=(const ScopedFifo&) = delete;

  const std::string& path() const { return path_; }
  // Ends whatever waits on the FIFO: opens it for writing and closes it.
  void Release() const;

 private:
  std::string path_;
};

// Runs work on another thread; true when it ended within limit. Otherwise the
// FIFO is released so that the work (blocked on it) ends, and false returned.
bool EndsWithin(std::chrono::milliseconds limit, const std::function<void()>& work, const ScopedFifo& fifo);

}  // namespace korvane::test

#endif
