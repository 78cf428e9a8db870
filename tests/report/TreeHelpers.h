#pragma once
// Helpers of the report tests: building folder trees and an independent walk
// that lists files in the order the file system enumerates them.

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace korvane::test {

// Creates a folder (and its parents).
void MakeFolder(const std::string& path);
// Creates a file with the given content (its folder must exist).
void MakeFile(const std::string& path, const std::string& content = "x");
// Files below folder (which ends in '/') in the order the collection must
// give: the files of each subfolder (in readdir order, depth first) before
// the folder's own files (in readdir order). Links to folders are neither
// entered nor listed.
std::vector<std::string> ReaddirOrder(const std::string& folder, bool recursive);
// The raw readdir order of one folder's entries, "." and ".." included.
std::vector<std::string> ReaddirNames(const std::string& folder);

// Removes a folder tree of any depth (deeper than the plain path calls
// reach) by moving nested folders up before deleting.
void RemoveTree(const std::string& root);

// What RunBounded returns when the work did not end in time.
inline constexpr int kTimedOut = -1;
// Runs work in a child process and gives its result (0..255), or kTimedOut,
// after killing the child, when it has not ended within limit. For work that
// could block for ever.
int RunBounded(std::chrono::milliseconds limit, const std::function<int()>& work);

}  // namespace korvane::test
