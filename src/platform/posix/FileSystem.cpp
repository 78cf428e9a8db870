// The folder search and file status on Linux. Every call takes paths of any
// length: a path longer than the kernel accepts in one piece is opened folder
// by folder (see PathAt), so a tree of any depth can be searched.

#include "platform/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <vector>

namespace korvane::platform {

namespace {

// Longest piece of a path handed to the kernel at once (below PATH_MAX).
constexpr std::size_t kPieceLength = 3072;

class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() { Reset(); }
  Fd(Fd&& o) noexcept : fd_(o.fd_) { o.fd_ = -1; }
  Fd& operator=(Fd&& o) noexcept {
    if (this != &o) {
      Reset();
      fd_ = o.fd_;
      o.fd_ = -1;
    }
    return *this;
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int release() {
    int f = fd_;
    fd_ = -1;
    return f;
  }
  void Reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

// A path split into a folder handle and a remainder short enough for one
// *at() call. For ordinary paths the handle is the current directory.
struct PathAt {
  int dir = AT_FDCWD;
  std::string rest;
  Fd holder;
  bool ok = true;
};

PathAt Resolve(const std::string& path) {
  PathAt r;
  if (path.size() < kPieceLength) {
    r.rest = path;
    return r;
  }
  std::size_t pos = 0;
  while (path.size() - pos >= kPieceLength) {
    // Cut at the last separator inside the piece.
    std::size_t cut = path.rfind('/', pos + kPieceLength - 1);
    if (cut == std::string::npos || cut < pos) {
      r.ok = false;  // a single component longer than any file system allows
      errno = ENAMETOOLONG;
      return r;
    }
    std::string piece = path.substr(pos, cut - pos + 1);
    if (piece.empty() || piece == "/") piece = "/";
    int fd = ::openat(r.dir, piece.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
      r.ok = false;
      return r;
    }
    r.holder = Fd(fd);
    r.dir = fd;
    pos = cut + 1;
    while (pos < path.size() && path[pos] == '/') ++pos;
  }
  r.rest = path.substr(pos);
  if (r.rest.empty()) r.rest = ".";
  return r;
}

int OpenPath(const std::string& path, int flags) {
  PathAt at = Resolve(path);
  if (!at.ok) return -1;
  return ::openat(at.dir, at.rest.c_str(), flags | O_CLOEXEC);
}

// Opens a regular file (links followed) for reading its status. Anything else
// is refused before it is opened: opening a FIFO may wait for a writer, and
// opening a device may set it going.
Fd OpenRegularFile(const std::string& path) {
  PathAt at = Resolve(path);
  struct stat st {};
  if (!at.ok || ::fstatat(at.dir, at.rest.c_str(), &st, 0) != 0 || !S_ISREG(st.st_mode)) {
    return Fd();
  }
  Fd fd(::openat(at.dir, at.rest.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  // The name may have been given to something else in between.
  if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return Fd();
  return fd;
}

bool StatPath(const std::string& path, struct stat& st, bool follow) {
  PathAt at = Resolve(path);
  if (!at.ok) return false;
  return ::fstatat(at.dir, at.rest.c_str(), &st, follow ? 0 : AT_SYMLINK_NOFOLLOW) == 0;
}

// The last component of a path, ignoring trailing separators.
std::string LastComponent(const std::string& path) {
  std::size_t end = path.find_last_not_of('/');
  if (end == std::string::npos) return {};
  std::size_t start = path.rfind('/', end);
  start = start == std::string::npos ? 0 : start + 1;
  return path.substr(start, end - start + 1);
}

std::int32_t AttributesFromMode(mode_t mode, const std::string& name) {
  std::int32_t a = 0;
  if ((mode & 0222) == 0) a |= kAttrReadOnly;
  if (!name.empty() && name[0] == '.' && name != "." && name != "..") a |= kAttrHidden;
  if (S_ISDIR(mode)) a |= kAttrDirectory;
  if (S_ISREG(mode)) a |= kAttrArchive;
  return a;
}

// Attributes of an entry reached through dir/name, without following a link
// itself; a link takes the kind of what it points to and the reparse bit.
std::int32_t EntryAttributes(int dir, const char* name, const std::string& shownName) {
  struct stat st {};
  if (::fstatat(dir, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return kInvalidAttributes;
  std::int32_t a = 0;
  if (S_ISLNK(st.st_mode)) {
    struct stat target {};
    if (::fstatat(dir, name, &target, 0) == 0) {
      a = AttributesFromMode(target.st_mode, shownName);
    } else {
      a = AttributesFromMode(S_IFREG | 0666, shownName);
    }
    a |= kAttrReparsePoint;
  } else {
    a = AttributesFromMode(st.st_mode, shownName);
  }
  return a == 0 ? kAttrNormal : a;
}

std::uint64_t ToFileTime(std::int64_t seconds, std::uint32_t nanoseconds) {
  // Seconds between 1601-01-01 and 1970-01-01.
  constexpr std::int64_t kEpochDelta = 11644473600LL;
  std::int64_t s = seconds + kEpochDelta;
  if (s < 0) return 0;
  return static_cast<std::uint64_t>(s) * 10000000ULL + nanoseconds / 100U;
}

std::uint32_t SerialOf(dev_t dev) {
  std::uint64_t d = static_cast<std::uint64_t>(dev);
  return static_cast<std::uint32_t>(d ^ (d >> 32));
}

FileError ErrorOf(int err) {
  switch (err) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
      return FileError::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
      return FileError::AccessDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return FileError::DiskFull;
    default:
      return FileError::IoError;
  }
}

}  // namespace

// Defined with the mount table (FileSystemVolume.cpp).
std::int32_t DriveTypeOfDevice(dev_t dev);

// Folders of long paths opened before (O_PATH handles), searched for the
// longest one that leads the path to open. The folder opened last and the
// pieces on the way to it are kept; the oldest go first.
struct SearchContext::Impl {
  struct Anchor {
    std::string path;  // ends in '/'
    Fd fd;
    std::uint64_t used = 0;
  };
  std::vector<Anchor> anchors;
  std::uint64_t clock = 0;
  static constexpr std::size_t kMaxAnchors = 64;

  void Keep(const std::string& path, int dirFd) {
    for (Anchor& a : anchors) {
      if (a.path == path) {
        a.used = ++clock;
        return;
      }
    }
    int fd = ::openat(dirFd, ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    if (anchors.size() >= kMaxAnchors) {
      auto oldest = anchors.begin();
      for (auto it = anchors.begin(); it != anchors.end(); ++it) {
        if (it->used < oldest->used) oldest = it;
      }
      anchors.erase(oldest);
    }
    anchors.push_back(Anchor{path, Fd(fd), ++clock});
  }

  // Opens folder (ending in '/') for reading its entries.
  int OpenFolder(const std::string& folder) {
    if (folder.size() < kPieceLength) return OpenPath(folder, O_RDONLY | O_DIRECTORY);
    const Anchor* best = nullptr;
    // Usually the folder lies right below the one opened last.
    if (!anchors.empty()) {
      const Anchor& last = anchors.back();
      if (last.path.size() <= folder.size() && folder.size() - last.path.size() < kPieceLength &&
          folder.compare(0, last.path.size(), last.path) == 0) {
        best = &last;
      }
    }
    for (Anchor& a : anchors) {
      if (best != nullptr) break;
      if (a.path.size() <= folder.size() &&
          (best == nullptr || a.path.size() > best->path.size()) &&
          folder.compare(0, a.path.size(), a.path) == 0) {
        best = &a;
      }
    }
    int base = AT_FDCWD;
    std::size_t pos = 0;
    Fd holder;
    if (best != nullptr) {
      base = best->fd.get();
      pos = best->path.size();
      for (Anchor& a : anchors) {
        if (&a == best) a.used = ++clock;
      }
    }
    while (folder.size() - pos >= kPieceLength) {
      std::size_t cut = folder.rfind('/', pos + kPieceLength - 1);
      if (cut == std::string::npos || cut < pos) {
        errno = ENAMETOOLONG;
        return -1;
      }
      std::string piece = folder.substr(pos, cut - pos + 1);
      int fd = ::openat(base, piece.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
      if (fd < 0) return -1;
      holder = Fd(fd);
      base = fd;
      pos = cut + 1;
      Keep(folder.substr(0, pos), base);
    }
    std::string rest = pos < folder.size() ? folder.substr(pos) : std::string(".");
    int fd = ::openat(base, rest.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0 && !folder.empty() && folder.back() == '/') Keep(folder, fd);
    return fd;
  }
};

SearchContext::SearchContext() : impl_(std::make_unique<Impl>()) {}
SearchContext::~SearchContext() = default;

struct FileSearch::Impl {
  DIR* dir = nullptr;
  std::string pattern;
  bool kindOnly = false;
  ~Impl() {
    if (dir != nullptr) ::closedir(dir);
  }
};

FileSearch::FileSearch(const std::string& fileSpec, SearchContext* context, bool kindOnly)
    : impl_(std::make_unique<Impl>()) {
  impl_->kindOnly = kindOnly;
  std::size_t slash = fileSpec.rfind('/');
  std::string folder;
  if (slash == std::string::npos) {
    folder = ".";
    impl_->pattern = fileSpec;
  } else {
    folder = slash == 0 ? "/" : fileSpec.substr(0, slash + 1);
    impl_->pattern = fileSpec.substr(slash + 1);
  }
  if (impl_->pattern.empty()) return;
  int fd = context != nullptr ? context->impl().OpenFolder(folder)
                              : OpenPath(folder, O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  impl_->dir = ::fdopendir(fd);
  if (impl_->dir == nullptr) ::close(fd);
}

FileSearch::~FileSearch() = default;

bool FileSearch::Valid() const { return impl_->dir != nullptr; }

bool FileSearch::Next(FindData& entry) {
  if (impl_->dir == nullptr) return false;
  for (;;) {
    errno = 0;
    dirent* d = ::readdir(impl_->dir);
    if (d == nullptr) return false;
    if (!WildcardMatch(impl_->pattern, d->d_name)) continue;
    entry.name = d->d_name;
    if (impl_->kindOnly && (d->d_type == DT_DIR || d->d_type == DT_REG)) {
      entry.attributes = AttributesFromMode(d->d_type == DT_DIR ? S_IFDIR | 0777 : S_IFREG | 0666,
                                            entry.name);
      return true;
    }
    entry.attributes = EntryAttributes(::dirfd(impl_->dir), d->d_name, entry.name);
    if (entry.attributes == kInvalidAttributes) continue;  // vanished meanwhile
    return true;
  }
}

FileKind GetFileKind(const std::string& path) {
  struct stat st {};
  if (path.empty() || !StatPath(path, st, true)) return FileKind::Missing;
  if (S_ISREG(st.st_mode)) return FileKind::Regular;
  if (S_ISDIR(st.st_mode)) return FileKind::Folder;
  return FileKind::Other;
}

PathStyle NativePathStyle() { return PathStyle::Posix; }

bool GetFileInformation(const std::string& path, FileInformation& info) {
  info = FileInformation{};
  // Opened for reading, as the Windows call does; a folder cannot be opened so.
  Fd fd = OpenRegularFile(path);
  if (fd.get() < 0) return false;
  struct statx sx {};
  if (::statx(fd.get(), "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0) return false;
  info.lastAccessTime = ToFileTime(sx.stx_atime.tv_sec, sx.stx_atime.tv_nsec);
  info.lastWriteTime = ToFileTime(sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec);
  // Without a recorded birth time the last write is the best creation time.
  info.creationTime = (sx.stx_mask & STATX_BTIME) != 0
                          ? ToFileTime(sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec)
                          : info.lastWriteTime;
  info.volumeSerialNumber = SerialOf(makedev(sx.stx_dev_major, sx.stx_dev_minor));
  info.size = sx.stx_size;
  return true;
}

bool OpenFileInfo(const std::string& path, bool& fixedDisk) {
  fixedDisk = false;
  Fd fd = OpenRegularFile(path);
  if (fd.get() < 0) return false;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return false;
  fixedDisk = DriveTypeOfDevice(st.st_dev) == kDriveFixed;
  return true;
}

std::int32_t GetFileAttributes(const std::string& path) {
  if (path.empty()) return kInvalidAttributes;
  PathAt at = Resolve(path);
  if (!at.ok) return kInvalidAttributes;
  return EntryAttributes(at.dir, at.rest.c_str(), LastComponent(path));
}

bool SetFileAttributes(const std::string& path, std::int32_t attributes) {
  struct stat st {};
  if (!StatPath(path, st, true)) return false;
  mode_t mode = st.st_mode & 07777;
  if ((attributes & kAttrReadOnly) != 0) {
    mode &= ~static_cast<mode_t>(0222);
  } else if ((mode & 0222) == 0) {
    mode |= S_IWUSR;
  }
  PathAt at = Resolve(path);
  if (!at.ok) return false;
  return ::fchmodat(at.dir, at.rest.c_str(), mode, 0) == 0;
}

bool GetFileSize(const std::string& path, std::uint64_t& size) {
  size = 0;
  struct stat st {};
  if (!StatPath(path, st, true) || !S_ISREG(st.st_mode)) return false;
  size = static_cast<std::uint64_t>(st.st_size);
  return true;
}

bool GetShortPathName(const std::string& path, std::string& shortPath) {
  struct stat st {};
  if (path.empty() || !StatPath(path, st, true)) return false;
  shortPath = path;
  return true;
}

bool GetExpandedName(const std::string& path, std::string& expanded) {
  Fd fd = OpenRegularFile(path);
  if (fd.get() < 0) return false;
  expanded = path;
  return true;
}

OutputFile::~OutputFile() { Close(); }

namespace {

// Whether the symbolic link folder/name may be followed: when the user made
// it, or the owner of the folder did (who could put anything there anyway).
// The kernel's protected-symlink rule, applied in every folder rather than
// only in sticky world-writable ones.
bool MayFollowLink(int folder, const char* name) {
  struct stat link {};
  struct stat dir {};
  if (::fstatat(folder, name, &link, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISLNK(link.st_mode)) {
    return false;
  }
  if (link.st_uid == ::geteuid()) return true;
  return ::fstat(folder, &dir) == 0 && dir.st_uid == link.st_uid;
}

// Opens folder/name for writing, creating it with 0666 less the umask, without
// waiting on a FIFO or device and without truncating anything yet.
FileError OpenForWriting(int folder, const std::string& name, Fd& file) {
  constexpr int kFlags = O_WRONLY | O_CREAT | O_NOCTTY | O_NONBLOCK | O_CLOEXEC;
  constexpr mode_t kNewFileMode = 0666;
  file = Fd(::openat(folder, name.c_str(), kFlags | O_NOFOLLOW, kNewFileMode));
  if (file.get() < 0 && errno == ELOOP) {
    // The name is a symbolic link.
    if (!MayFollowLink(folder, name.c_str())) return FileError::AccessDenied;
    file = Fd(::openat(folder, name.c_str(), kFlags, kNewFileMode));
  }
  if (file.get() >= 0) return FileError::None;
  // A FIFO without a reader, a socket, a device without its driver.
  return errno == ENXIO ? FileError::NotAFile : ErrorOf(errno);
}

}  // namespace

FileError OutputFile::Open(const std::string& path) {
  Close();
  const std::size_t slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty()) return FileError::AccessDenied;  // names a folder
  Fd folder(OpenPath(slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1),
                     O_PATH | O_DIRECTORY));
  if (folder.get() < 0) return ErrorOf(errno);
  Fd file;
  if (FileError e = OpenForWriting(folder.get(), name, file); e != FileError::None) return e;
  struct stat st {};
  if (::fstat(file.get(), &st) != 0) return ErrorOf(errno);
  if (!S_ISREG(st.st_mode)) return FileError::NotAFile;
  const int flags = ::fcntl(file.get(), F_GETFL);
  if (flags < 0 || ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) return ErrorOf(errno);
  if (::ftruncate(file.get(), 0) != 0) return ErrorOf(errno);
  handle_ = file.release();
  return FileError::None;
}

FileError OutputFile::Write(std::string_view data) {
  if (handle_ < 0) return FileError::IoError;
  const char* p = data.data();
  std::size_t left = data.size();
  while (left > 0) {
    ssize_t n = ::write(static_cast<int>(handle_), p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return ErrorOf(errno);
    }
    if (n == 0) return FileError::DiskFull;
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return FileError::None;
}

FileError OutputFile::Truncate(std::uint64_t size) {
  if (handle_ < 0) return FileError::IoError;
  if (::ftruncate(static_cast<int>(handle_), static_cast<off_t>(size)) != 0) return ErrorOf(errno);
  if (::lseek(static_cast<int>(handle_), static_cast<off_t>(size), SEEK_SET) < 0) return ErrorOf(errno);
  return FileError::None;
}

void OutputFile::Close() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
  handle_ = -1;
}

bool OutputFile::IsOpen() const { return handle_ >= 0; }

}  // namespace korvane::platform
