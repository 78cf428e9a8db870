// Whole-file operations through the standard library: both back ends share them.

#include "platform/UserFiles.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace korvane::platform {

namespace fs = std::filesystem;

namespace {

// Paths inside the program are UTF-8.
fs::path Utf8Path(const std::string& path) {
  return fs::path(std::u8string(path.begin(), path.end()));
}

constexpr const char* kTemporarySuffix = ".korvane-new";

}  // namespace

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

bool ReplaceFile(const std::string& path, std::string_view content, bool executable) {
  std::error_code ec;
  const fs::path target = Utf8Path(path);
  if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
  if (ec) return false;
  fs::path temporary = target;
  temporary += kTemporarySuffix;
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    if (!out) {
      fs::remove(temporary, ec);
      return false;
    }
  }
  if (executable) {
    using P = fs::perms;
    fs::permissions(temporary,
                    P::owner_all | P::group_read | P::group_exec | P::others_read | P::others_exec,
                    fs::perm_options::replace, ec);
    if (ec) {
      fs::remove(temporary, ec);
      return false;
    }
  }
  fs::rename(temporary, target, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return false;
  }
  return true;
}

bool RemoveFile(const std::string& path) {
  std::error_code ec;
  const fs::path p = Utf8Path(path);
  fs::remove(p, ec);
  return !fs::exists(fs::symlink_status(p, ec));
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
