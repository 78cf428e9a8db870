// Replacing a user's file on Windows: the new content is written to a new
// file beside the target, given the target's permissions (the read-only
// bit), and moved over the target.

#include <fstream>

#include "platform/UserFiles.h"
#include "platform/common/ReplaceTarget.h"

namespace korvane::platform {

namespace fs = std::filesystem;

formats::Expected<void> ReplaceFile(const std::string& path, std::string_view content, bool) {
  formats::Expected<ReplaceTarget> target = ResolveReplaceTarget(path);
  if (!target) return target.error();
  const fs::path& file = target->file;
  std::error_code ec;
  if (!target->exists && file.has_parent_path()) fs::create_directories(file.parent_path(), ec);
  if (ec) return WriteError(path, ec.message());
  const fs::path temporary = TemporaryBeside(file);
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    if (!out) {
      fs::remove(temporary, ec);
      return WriteError(path, "the new content could not be written");
    }
  }
  if (target->exists) fs::permissions(temporary, fs::status(file, ec).permissions(), ec);
  if (!ec) fs::rename(temporary, file, ec);
  if (ec) {
    const std::string reason = ec.message();
    fs::remove(temporary, ec);
    return WriteError(path, reason);
  }
  return {};
}

}  // namespace korvane::platform
