#include "platform/LoaderSearch.h"

#include <filesystem>
#include <system_error>

#include "formats/TextCodec.h"
#include "platform/Process.h"

namespace korvane::platform {

namespace {

// A folder beside dir named name in any letter case; empty when there is none.
std::string Sibling(const std::filesystem::path& dir, const char* name) {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(dir.parent_path(), ec)) {
    if (formats::EqualsIgnoringAsciiCase(entry.path().filename().string(), name) &&
        entry.is_directory(ec)) {
      return entry.path().string();
    }
  }
  return {};
}

}  // namespace

LoaderFolders LoaderSearchFolders(bool module64Bit) {
  LoaderFolders folders;
  std::filesystem::path system = SystemDirectory();
  while (system.has_filename() == false && system.has_parent_path() && system != system.root_path()) {
    system = system.parent_path();  // drop a trailing separator
  }
  folders.system = system.string();
  if (!module64Bit) {
    const std::string wow = Sibling(system, "SysWOW64");
    if (!wow.empty()) folders.system = wow;
  }
  folders.windows = system.parent_path().string();
  std::error_code ec;
  folders.current = std::filesystem::current_path(ec).string();
  folders.path = SplitFolderList(GetEnv("PATH"), ':');
  return folders;
}

}  // namespace korvane::platform
