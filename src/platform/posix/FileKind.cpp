#include "platform/FileKind.h"

#include <sys/stat.h>

namespace korvane::platform {

FileKind KindOfFile(const std::string& path) {
  struct stat status {};
  if (path.empty() || ::stat(path.c_str(), &status) != 0) return FileKind::Missing;
  if (S_ISREG(status.st_mode)) return FileKind::Regular;
  if (S_ISDIR(status.st_mode)) return FileKind::Directory;
  return FileKind::Other;
}

}  // namespace korvane::platform
