// Regular files for the readers of formats/, opened relative to a folder
// handle so that a path longer than the kernel takes in one call still opens.

#include "platform/FileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace korvane::platform {

namespace {

// Longest piece of a path handed to the kernel at once (below PATH_MAX).
constexpr std::size_t kPieceLength = 3072;

class OwnedFd {
 public:
  explicit OwnedFd(int fd = -1) : fd_(fd) {}
  ~OwnedFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  OwnedFd(OwnedFd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  OwnedFd& operator=(OwnedFd&& other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
  }
  OwnedFd(const OwnedFd&) = delete;
  OwnedFd& operator=(const OwnedFd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// The folder a path's last part is looked up in, and that part. For a path
// short enough for one call the folder is the current one; a longer path is
// walked one piece (of whole components) at a time.
struct Anchor {
  OwnedFd holder;
  int dir = AT_FDCWD;
  std::string rest;
};

bool AnchorPath(const std::string& path, Anchor& anchor) {
  std::size_t pos = 0;
  while (path.size() - pos >= kPieceLength) {
    const std::size_t cut = path.rfind('/', pos + kPieceLength - 1);
    if (cut == std::string::npos || cut < pos) {
      errno = ENAMETOOLONG;  // one component longer than any file system allows
      return false;
    }
    const std::string piece = cut == pos ? std::string("/") : path.substr(pos, cut - pos);
    OwnedFd next(::openat(anchor.dir, piece.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (next.get() < 0) return false;
    anchor.holder = std::move(next);
    anchor.dir = anchor.holder.get();
    pos = cut + 1;
    while (pos < path.size() && path[pos] == '/') ++pos;
  }
  anchor.rest = pos < path.size() ? path.substr(pos) : std::string(".");
  return true;
}

formats::Error OpenError(const std::string& path, int err) {
  return formats::MakeError(formats::ErrorKind::kCannotOpen, path + ": " + std::generic_category().message(err));
}

class PosixFile final : public formats::ByteSource {
 public:
  PosixFile(OwnedFd fd, std::uint64_t size, std::string path) : fd_(std::move(fd)), size_(size), path_(std::move(path)) {}
  std::uint64_t Size() const override { return size_; }

 protected:
  formats::Expected<void> ReadInside(std::uint64_t offset, std::span<std::uint8_t> out) const override {
    std::size_t done = 0;
    while (done < out.size()) {
      const ssize_t got = ::pread(fd_.get(), out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) {
        const std::string why = got == 0 ? "the file ended early" : std::generic_category().message(errno);
        return formats::MakeError(formats::ErrorKind::kReadFailed, path_ + ": " + why);
      }
      done += static_cast<std::size_t>(got);
    }
    return {};
  }

 private:
  OwnedFd fd_;
  std::uint64_t size_;
  std::string path_;
};

}  // namespace

formats::Expected<std::shared_ptr<const formats::ByteSource>> OpenFileReader(const std::string& path) {
  if (path.empty()) return OpenError(path, ENOENT);
  Anchor anchor;
  if (!AnchorPath(path, anchor)) return OpenError(path, errno);
  // The kind is looked at before opening, so that a FIFO is never opened and
  // a device never sees an open; the open itself does not wait either, in
  // case the name was replaced in between.
  struct stat before {};
  if (::fstatat(anchor.dir, anchor.rest.c_str(), &before, 0) != 0) return OpenError(path, errno);
  if (!S_ISREG(before.st_mode)) return formats::MakeError(formats::ErrorKind::kNotRegularFile, path);
  OwnedFd fd(::openat(anchor.dir, anchor.rest.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (fd.get() < 0) return OpenError(path, errno);
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return OpenError(path, errno);
  if (!S_ISREG(st.st_mode)) return formats::MakeError(formats::ErrorKind::kNotRegularFile, path);
  auto file = std::make_unique<PosixFile>(std::move(fd), static_cast<std::uint64_t>(st.st_size), path);
  return std::shared_ptr<const formats::ByteSource>(std::make_shared<formats::PagedSource>(std::move(file)));
}

}  // namespace korvane::platform
