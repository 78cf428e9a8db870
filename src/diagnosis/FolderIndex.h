#pragma once
// Finding a file by name in a folder, letter case ignored as Windows does.
// Each folder is listed once and kept, so that a tree of hundreds of imports
// costs one listing per folder searched.

#include <string>
#include <unordered_map>

namespace korvane::diagnosis {

class FolderIndex {
 public:
  // The full path of the file named name in folder (any letter case); empty
  // when there is none or the folder cannot be read.
  std::string Find(const std::string& folder, const std::string& name);

 private:
  using Listing = std::unordered_map<std::string, std::string>;  // folded name -> name
  const Listing& ListingOf(const std::string& folder);

  std::unordered_map<std::string, Listing> folders_;
};

// folder + separator + name, with no doubled separator.
std::string JoinPath(const std::string& folder, const std::string& name);
// The folder part of a path (no trailing separator); "" when there is none.
std::string FolderOf(const std::string& path);
// The last component of a path.
std::string FileNameOf(const std::string& path);

}  // namespace korvane::diagnosis
