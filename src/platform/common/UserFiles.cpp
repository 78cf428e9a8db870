// Whole-file operations through the standard library: both back ends share
// them (the replacement's own writing is each back end's).

#include "platform/UserFiles.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

#include "platform/common/ReplaceTarget.h"

namespace korvane::platform {

namespace fs = std::filesystem;
using formats::Error;
using formats::ErrorKind;
using formats::Expected;

fs::path Utf8Path(const std::string& path) {
  return fs::path(std::u8string(path.begin(), path.end()));
}

Error WriteError(const std::string& path, const std::string& reason) {
  return Error{ErrorKind::kWriteFailed, "cannot write '" + path + "': " + reason};
}

namespace {

Error NotAFile(const std::string& path, bool link) {
  return Error{ErrorKind::kNotRegularFile,
               "'" + path + (link ? "' is a symbolic link that leads to no file; left alone"
                                  : "' is not a regular file; left alone")};
}

}  // namespace

UserFileKind GetUserFileKind(const std::string& path) {
  std::error_code ec;
  const fs::path p = Utf8Path(path);
  if (!fs::exists(fs::symlink_status(p, ec))) return UserFileKind::Absent;
  return fs::is_regular_file(fs::status(p, ec)) ? UserFileKind::File : UserFileKind::Other;
}

Expected<ReplaceTarget> ResolveReplaceTarget(const std::string& path) {
  std::error_code ec;
  const fs::path p = Utf8Path(path);
  const fs::file_status own = fs::symlink_status(p, ec);
  if (!fs::exists(own)) return ReplaceTarget{p, false};
  if (fs::is_regular_file(own)) return ReplaceTarget{p, true};
  if (!fs::is_symlink(own)) return NotAFile(path, false);
  const fs::path file = fs::canonical(p, ec);
  if (ec) return NotAFile(path, true);
  if (!fs::is_regular_file(fs::status(file, ec))) return NotAFile(path, false);
  return ReplaceTarget{file, true};
}

fs::path TemporaryBeside(const fs::path& file) {
  std::random_device random;
  const auto tag = (static_cast<unsigned long long>(random()) << 32) | random();
  return fs::path(file).concat(".korvane-" + std::to_string(tag));
}

bool ReadSmallFile(const std::string& path, std::size_t maxBytes, std::string& content) {
  std::error_code ec;
  const fs::path p = Utf8Path(path);
  if (!fs::is_regular_file(p, ec)) return false;
  const std::uintmax_t size = fs::file_size(p, ec);
  if (ec || size > maxBytes) return false;
  std::ifstream in(p, std::ios::binary);
  if (!in) return false;
  std::string text(static_cast<std::size_t>(size), '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (in.gcount() != static_cast<std::streamsize>(text.size())) return false;
  content = std::move(text);
  return true;
}

Expected<void> RemoveFile(const std::string& path) {
  std::error_code ec;
  switch (GetUserFileKind(path)) {
    case UserFileKind::Absent: return {};
    case UserFileKind::Other: return NotAFile(path, fs::is_symlink(fs::symlink_status(Utf8Path(path), ec)));
    case UserFileKind::File: break;
  }
  fs::remove(Utf8Path(path), ec);
  if (ec) return Error{ErrorKind::kWriteFailed, "cannot remove '" + path + "': " + ec.message()};
  return {};
}

bool IsRegularFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(Utf8Path(path), ec);
}

bool IsExecutableFile(const std::string& path) {
  std::error_code ec;
  const fs::file_status status = fs::status(Utf8Path(path), ec);
  return !ec && fs::is_regular_file(status) &&
         (status.permissions() & fs::perms::owner_exec) != fs::perms::none;
}

}  // namespace korvane::platform
