#pragma once
// Type libraries in files: a stand-alone MSFT or SLTG file, or a TYPELIB
// resource of a PE image, decided by the file's first bytes. A path that is
// no file but ends in a separator and digits ("x.dll\2") names resource id 2.

#include <cstdint>
#include <string>
#include <vector>

#include "formats/TypeLib.h"

namespace korvane::formats {

// The largest stand-alone type-library file read into memory.
inline constexpr std::uint64_t kMaxTypeLibFileSize = 256ull * 1024 * 1024;

struct TypeLibResourceInfo {
  std::uint16_t id = 0;        // numeric resource id (named ones are listed with isName)
  bool isName = false;
  std::string name;            // the resource's name when isName
  std::uint16_t language = 0;
  std::uint32_t size = 0;
};

// Where a path points: the file to open and, for the "file\N" form, the id.
struct TypeLibLocation {
  std::string file;
  bool hasResourceId = false;
  std::uint16_t resourceId = 0;
};

// Splits the "file\N" form (separator is the platform's path separator). A
// path that names an existing file is taken whole.
TypeLibLocation LocateTypeLib(const std::string& path, char separator);

// The raw bytes of the type library a path points to. Throws TypeLibError.
std::vector<std::uint8_t> LoadTypeLibBytes(const std::string& path, char separator);
// LoadTypeLibBytes followed by ReadTypeLib.
TypeLibAttributes ReadTypeLibFile(const std::string& path, char separator);

// Every TYPELIB resource of a PE file, in resource-directory order. Empty for
// a PE without one; throws TypeLibError when the file is not a readable PE.
std::vector<TypeLibResourceInfo> ListTypeLibResources(const std::string& file);

}  // namespace korvane::formats
