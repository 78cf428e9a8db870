#pragma once
// Which type libraries a file offers to the "Show type library..." item: every
// numbered TYPELIB resource of a PE file, the library of a stand-alone file,
// or the one resource a "file\N" path names. Only libraries whose header
// reads are offered, so an item never opens onto a library that fails at once.

#include <cstdint>
#include <string>
#include <vector>

namespace korvane::forms {

struct TypeLibraryEntry {
  std::string path;           // what reads the library: the file, or "file<separator>id"
  bool hasResourceId = false;
  std::uint16_t resourceId = 0;
  std::string name;           // the library's name
  std::uint16_t majorVersion = 0;
  std::uint16_t minorVersion = 0;
  bool operator==(const TypeLibraryEntry&) const = default;
};

// The libraries path offers, in resource-directory order; empty when it
// holds none (or cannot be read at all).
std::vector<TypeLibraryEntry> TypeLibrariesOf(const std::string& path);

// How the choice list names an entry: resource id, name, version ("2: Lib 1.0").
std::string ChoiceCaption(const TypeLibraryEntry& entry);

}  // namespace korvane::forms
