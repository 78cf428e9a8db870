// Replacing a user's file on Linux: the new content is written to a file
// created exclusively beside the target, given the target's permissions and
// owner, flushed to the disk, and renamed over the target.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "platform/UserFiles.h"
#include "platform/common/ReplaceTarget.h"

namespace korvane::platform {

namespace {

namespace fs = std::filesystem;
using formats::Expected;

// Permissions a new file asks for; the umask takes its part away.
constexpr mode_t kNewFileMode = 0666;
constexpr mode_t kNewProgramMode = 0777;
// What an existing file's permissions were made of (no file type bits).
constexpr mode_t kPermissionBits = 07777;
// Attempts at a free temporary name before giving up.
constexpr int kNameAttempts = 8;

// The owner may execute the file, and so may group and others where they may read it.
mode_t WithExecute(mode_t mode) {
  mode |= S_IXUSR;
  if ((mode & S_IRGRP) != 0) mode |= S_IXGRP;
  if ((mode & S_IROTH) != 0) mode |= S_IXOTH;
  return mode;
}

std::string ErrnoText() { return std::error_code(errno, std::generic_category()).message(); }

class TemporaryFile {
 public:
  ~TemporaryFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!name_.empty()) ::unlink(name_.c_str());
  }

  // errno is left set when it fails.
  bool Create(const fs::path& beside, mode_t mode) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
      const std::string name = TemporaryBeside(beside).string();
      fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
      if (fd_ >= 0) {
        name_ = name;
        return true;
      }
      if (errno != EEXIST) return false;
    }
    return false;
  }

  bool Write(std::string_view content) {
    while (!content.empty()) {
      const ssize_t n = ::write(fd_, content.data(), content.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      content.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
  }

  // The permissions, owner and group of the file it replaces. Only the
  // superuser may give a file to someone else; otherwise the group is tried
  // alone, and failing that the file stays the writer's.
  bool TakeOver(const struct stat& old, bool executable) {
    if (::fchown(fd_, old.st_uid, old.st_gid) != 0 &&
        ::fchown(fd_, static_cast<uid_t>(-1), old.st_gid) != 0) {
      // The writer keeps the file; its permissions below still apply.
    }
    mode_t mode = old.st_mode & kPermissionBits;
    if (executable) mode = WithExecute(mode);
    return ::fchmod(fd_, mode) == 0;
  }

  bool Finish() {
    const bool synced = ::fsync(fd_) == 0;
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    return synced && closed;
  }

  bool RenameTo(const fs::path& target) {
    if (::rename(name_.c_str(), target.c_str()) != 0) return false;
    name_.clear();
    return true;
  }

 private:
  int fd_ = -1;
  std::string name_;
};

}  // namespace

Expected<void> ReplaceFile(const std::string& path, std::string_view content, bool executable) {
  Expected<ReplaceTarget> target = ResolveReplaceTarget(path);
  if (!target) return target.error();
  const fs::path& file = target->file;
  struct stat old {};
  if (target->exists && ::stat(file.c_str(), &old) != 0) return WriteError(path, ErrnoText());
  if (!target->exists && file.has_parent_path()) {
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    if (ec) return WriteError(path, ec.message());
  }
  TemporaryFile temporary;
  // An existing file's permissions are set once the new one is written.
  const mode_t mode = target->exists ? S_IRUSR | S_IWUSR : executable ? kNewProgramMode : kNewFileMode;
  if (!temporary.Create(file, mode) || !temporary.Write(content) ||
      (target->exists && !temporary.TakeOver(old, executable)) || !temporary.Finish() ||
      !temporary.RenameTo(file)) {
    return WriteError(path, ErrnoText());
  }
  return {};
}

}  // namespace korvane::platform
