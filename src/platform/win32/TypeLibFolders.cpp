#include "platform/TypeLibFolders.h"

#include "platform/LoaderSearch.h"

namespace korvane::platform {

std::vector<std::string> TypeLibImportFolders(const std::string& fileFolder, bool library64Bit) {
  std::vector<std::string> folders;
  if (!fileFolder.empty()) folders.push_back(fileFolder);
  const std::string system = LoaderSearchFolders(library64Bit).system;
  if (!system.empty() && system != fileFolder) folders.push_back(system);
  return folders;
}

}  // namespace korvane::platform
