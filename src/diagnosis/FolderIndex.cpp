#include "diagnosis/FolderIndex.h"

#include "diagnosis/LoaderRules.h"
#include "platform/FileSystem.h"
#include "platform/Process.h"

namespace korvane::diagnosis {

namespace {

bool IsSeparator(char c) { return c == '/' || c == platform::kPathSeparator; }

}  // namespace

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (IsSeparator(folder.back())) return folder + name;
  return folder + platform::kPathSeparator + name;
}

std::string FolderOf(const std::string& path) {
  std::size_t cut = path.size();
  while (cut > 0 && !IsSeparator(path[cut - 1])) --cut;
  if (cut == 0) return {};
  // Keep the root's own separator ("/" or "C:\").
  if (cut == 1 || (cut == 3 && path[1] == ':')) return path.substr(0, cut);
  return path.substr(0, cut - 1);
}

std::string FileNameOf(const std::string& path) {
  std::size_t cut = path.size();
  while (cut > 0 && !IsSeparator(path[cut - 1])) --cut;
  return path.substr(cut);
}

const FolderIndex::Listing& FolderIndex::ListingOf(const std::string& folder) {
  auto found = folders_.find(folder);
  if (found != folders_.end()) return found->second;
  Listing& listing = folders_[folder];
  platform::FileSearch search(JoinPath(folder, "*"), nullptr, /*kindOnly=*/true);
  platform::FindData entry;
  while (search.Valid() && search.Next(entry)) {
    if ((entry.attributes & platform::kAttrDirectory) != 0) continue;
    listing.emplace(FoldName(entry.name), entry.name);
  }
  return listing;
}

std::string FolderIndex::Find(const std::string& folder, const std::string& name) {
  if (folder.empty() || name.empty()) return {};
  const Listing& listing = ListingOf(folder);
  auto found = listing.find(FoldName(name));
  return found == listing.end() ? std::string() : JoinPath(folder, found->second);
}

}  // namespace korvane::diagnosis
