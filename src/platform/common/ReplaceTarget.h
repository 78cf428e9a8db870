#pragma once
// The part of replacing a user's file that both back ends share: which file a
// path stands for once its links are followed, and a fresh name beside it.

#include <filesystem>
#include <string>

#include "formats/Expected.h"

namespace korvane::platform {

// Paths inside the program are UTF-8.
std::filesystem::path Utf8Path(const std::string& path);

struct ReplaceTarget {
  std::filesystem::path file;  // the regular file to replace, or the new file's name
  bool exists = false;
};

// The file a replacement of path writes: path itself when nothing is there,
// else the regular file it is or that its links lead to. Refused
// (kNotRegularFile) for a link that leads nowhere and anything not a
// regular file.
formats::Expected<ReplaceTarget> ResolveReplaceTarget(const std::string& path);

// A name in the file's folder that nobody else would choose, for the new
// content before it takes the file's name.
std::filesystem::path TemporaryBeside(const std::filesystem::path& file);

// "cannot write 'path': reason".
formats::Error WriteError(const std::string& path, const std::string& reason);

}  // namespace korvane::platform
