#pragma once
// Folder listings made ahead of a tree walk, on other threads, so that a cold
// disk sees several folders asked for at once. The walk keeps its order: it
// only takes a listing that is ready, and lists a folder itself otherwise.

#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace korvane {

class FolderListings {
 public:
  virtual ~FolderListings() = default;
  // The walk will visit these folders (paths ending in a separator), in
  // this order.
  virtual void Ahead(const std::vector<std::string>& folders) = 0;
  // The entries of folder as a search of folder + "*.*" gives them (kinds
  // only), when a listing of it is ready; false when the walk must list it
  // itself. Each folder is handed out at most once.
  virtual bool Take(const std::string& folder, std::vector<platform::FindData>& entries) = 0;
};

}  // namespace korvane
