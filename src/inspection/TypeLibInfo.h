#pragma once
// The inspector's type-library object: empty until a file's library is
// loaded into it, then the attributes of that library.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/TypeLib.h"

namespace korvane {

class TypeLibInfo {
 public:
  TypeLibInfo() = default;  // empty: no library loaded
  explicit TypeLibInfo(platform::TypeLibrary library) : library_(std::move(library)) {}

  // Loads the type library of a file; throws VbError when it has none.
  static TypeLibInfo TypeLibInfoFromFile(const std::string& path);

  bool IsLoaded() const { return library_.has_value(); }
  // Each accessor throws VbError on an empty object.
  const std::string& Name() const { return Library().Name(); }
  const std::string& HelpString() const { return Library().HelpString(); }
  const std::string& GUID() const { return Library().GUID(); }
  std::uint16_t MajorVersion() const { return Library().MajorVersion(); }
  std::uint16_t MinorVersion() const { return Library().MinorVersion(); }
  std::uint32_t LCID() const { return Library().LCID(); }
  int SysKind() const { return Library().SysKind(); }
  bool IsSameLibrary(const TypeLibInfo& other) const { return Library().IsSameLibrary(other.Library()); }

  // The registry key text of the version: lower-case hex major.minor (1.10 is "1.a").
  std::string VersionKey() const;
  // The version as shown: decimal major.minor.
  std::string VersionText() const;

 private:
  const platform::TypeLibrary& Library() const;

  std::optional<platform::TypeLibrary> library_;
};

}  // namespace korvane
