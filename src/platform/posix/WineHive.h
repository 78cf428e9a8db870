#pragma once
// One hive of a Wine prefix's registry, held in a form whose size follows the
// file's, whatever the depth of its keys: each key the file writes is one
// entry holding its whole path (as written, and folded for comparing), and
// names and value data live in shared buffers. A key that the file names
// only as part of a longer path has no entry of its own: it is the run of
// entries below it. The entries are sorted by folded path, a backslash before
// every other character, so that everything below a key is one run, its
// sub-keys follow one another in alphabetical order ignoring case, and each
// step of a path is a binary search.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "formats/Expected.h"

namespace korvane::platform::posix {

class WineHive;

// A key of a hive: the run of entries at or below it. Default: no key.
struct WineKey {
  const WineHive* hive = nullptr;
  std::uint32_t first = 0;
  std::uint32_t end = 0;
  std::uint32_t foldAt = 0;  // where the names below the key start in a folded path
  std::uint32_t level = 0;   // how many names the key's path has
  bool Exists() const { return hive != nullptr; }
  bool operator==(const WineKey&) const = default;
};

struct WineValue {
  std::string_view name;
  std::uint32_t type = 0;
  std::span<const std::uint8_t> data;
};

// What the files say of themselves.
struct WineHiveFile {
  std::string relativeTo;
  std::string arch;
};

class WineHive {
 public:
  // Adds a file's keys, each below the key `under` ("" for the hive's root;
  // that key exists even when the file has none). Call Finish once all are in.
  formats::Expected<WineHiveFile> Add(std::span<const std::uint8_t> bytes, const std::string& under);
  // Sorts the keys; a key written twice is one key with the values of both
  // (a later value of the same name replaces the earlier one's data).
  void Finish();

  WineKey Root() const;
  // The sub-key of that folded name, or no key.
  WineKey Child(const WineKey& key, std::string_view fold) const;

  // The sub-keys in order: positions from FirstChild, each next one from
  // NextChild, until the key's end.
  std::uint32_t FirstChild(const WineKey& key) const;
  std::uint32_t NextChild(const WineKey& key, std::uint32_t at) const;
  std::string_view ChildFold(const WineKey& key, std::uint32_t at) const;
  std::string_view ChildName(const WineKey& key, std::uint32_t at) const;
  bool HasSubKeys(const WineKey& key) const { return FirstChild(key) < key.end; }

  bool IsLink(const WineKey& key) const;
  std::uint32_t ValueCount(const WineKey& key) const;
  WineValue ValueAt(const WineKey& key, std::uint32_t index) const;
  // The value of that folded name; false when the key has none.
  bool FindValue(const WineKey& key, std::string_view fold, WineValue* value) const;

 private:
  struct Entry {
    std::uint32_t name = 0;  // the path as written, in text_
    std::uint32_t nameLength = 0;
    std::uint32_t fold = 0;  // the folded path, in text_ (the same bytes when equal)
    std::uint32_t foldLength = 0;
    std::uint32_t values = 0;  // the first of its values in values_
    std::uint32_t valueCount = 0;
    bool link = false;
  };
  struct Value {
    std::uint32_t name = 0;
    std::uint32_t nameLength = 0;
    std::uint32_t fold = 0;
    std::uint32_t foldLength = 0;
    std::uint32_t type = 0;
    std::uint32_t data = 0;  // in data_
    std::uint32_t dataLength = 0;
  };
  class Builder;

  std::string_view Text(std::uint32_t at, std::uint32_t length) const {
    return std::string_view(text_).substr(at, length);
  }
  std::string_view Fold(const Entry& e) const { return Text(e.fold, e.foldLength); }
  // The entry of the key itself when the file wrote it, else nullptr.
  const Entry* Own(const WineKey& key) const;
  void MergeSame(std::uint32_t from, std::uint32_t to, Entry& into);

  std::string text_;
  std::vector<std::uint8_t> data_;
  std::vector<Entry> entries_;
  std::vector<Value> values_;
};

}  // namespace korvane::platform::posix
