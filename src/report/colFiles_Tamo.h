#pragma once
// An ordered collection of files, filled by a wildcard search of a folder and,
// when asked, of all its subfolders: the files of each subfolder (depth first,
// in the file system's own order) come before the files of the folder itself.

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "report/clsFile_Tamo.h"

namespace korvane {

// A progress control that LoadFiles may drive. Any member may throw; the
// collection ignores that.
class LoadProgress {
 public:
  virtual ~LoadProgress() = default;
  virtual void SetMin(int value) = 0;
  virtual void SetMax(int value) = 0;
  virtual int Value() const = 0;
  virtual void SetValue(int value) = 0;
  virtual void Refresh() = 0;
};

// text followed by suffix, unless text already ends with it.
std::string EnsureSuffix(const std::string& text, const std::string& suffix);

class colFiles_Tamo {
 public:
  using FilePtr = std::shared_ptr<clsFile_Tamo>;
  using const_iterator = std::vector<FilePtr>::const_iterator;

  // Fills the collection with the files matching sFileSpec ("folder/pattern"),
  // also in every subfolder when bRecursive (symbolic links to folders are not
  // entered). Returns Count. A progress control is set up anew for each folder
  // searched (Min 0, Value 0, Max its matches plus one), and each entry of a
  // folder's file search adds one to its value.
  std::int32_t LoadFiles(const std::string& sFileSpec, bool bRecursive,
                         LoadProgress* pb = nullptr);

  void Clear();
  // Appends a file under sKey, or under its path when sKey is empty; a path
  // already present is then not stored again. A duplicate non-empty key throws
  // VbError 457. The new object is returned either way.
  FilePtr Add(const std::string& sFileName, const std::string& sKey = {});
  // By position 1..Count or by key (letter case ignored); null when absent.
  FilePtr Item(std::int32_t index) const;
  FilePtr Item(const std::string& key) const;
  FilePtr Item(const char* key) const { return Item(std::string(key)); }
  std::int32_t Count() const { return static_cast<std::int32_t>(items_.size()); }
  // Unknown positions and keys are ignored.
  void Remove(std::int32_t index);
  void Remove(const std::string& key);
  void Remove(const char* key) { Remove(std::string(key)); }

  const_iterator begin() const { return items_.begin(); }
  const_iterator end() const { return items_.end(); }

 private:
  void Append(FilePtr file, std::string foldedKey);
  void EraseAt(std::size_t pos);
  void Walk(const std::string& sFileSpec, bool bRecursive, LoadProgress* pb);

  std::vector<FilePtr> items_;
  std::vector<std::string> keys_;  // parallel to items_
  std::unordered_map<std::string, FilePtr> byKey_;
  std::int32_t depth_ = 0;  // LoadFiles calls in progress
};

}  // namespace korvane
