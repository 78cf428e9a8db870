#pragma once
// The walk the version benchmarks share: every regular .dll, .ocx and .exe
// file below a folder (extension in any letter case), in the order the
// directory iterator gives.

#include <filesystem>
#include <string>

namespace bench {

inline bool IsComponent(const std::filesystem::path& path) {
  std::string ext = path.extension().string();
  for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return ext == ".dll" || ext == ".ocx" || ext == ".exe";
}

template <typename Visit>
void ForEachComponent(const char* root, Visit visit) {
  namespace fs = std::filesystem;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec), end;
       it != end; it.increment(ec)) {
    if (ec || !it->is_regular_file(ec) || !IsComponent(it->path())) continue;
    visit(it->path());
  }
}

}  // namespace bench
