#pragma once
// Type libraries in files: a stand-alone MSFT or SLTG file, or a TYPELIB
// resource of a PE image, decided by the file's first bytes. A path that is
// no file but ends in a separator and digits ("x.dll\2") names resource id 2.
// The file itself is opened by the caller (the platform layer).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "formats/ByteSource.h"
#include "formats/Expected.h"
#include "formats/TypeLib.h"
#include "formats/TypeLibModel.h"

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

// Splits the "file\N" form (separator is the platform's path separator).
// pathIsFile tells whether the path as given names an existing file, which is
// then taken whole.
TypeLibLocation LocateTypeLib(const std::string& path, char separator, bool pathIsFile);

// The raw bytes of the type library in file, the file where.file names:
// kNotTypeLib when it holds none, kNotFound without the resource asked for.
Expected<std::vector<std::uint8_t>> LoadTypeLibBytes(std::shared_ptr<const ByteSource> file,
                                                     const TypeLibLocation& where);
// LoadTypeLibBytes followed by ReadTypeLib.
Expected<TypeLibAttributes> ReadTypeLibFile(std::shared_ptr<const ByteSource> file, const TypeLibLocation& where);
// LoadTypeLibBytes followed by ReadTypeLibrary: the library's whole content.
Expected<TypeLibrary> ReadTypeLibraryFile(std::shared_ptr<const ByteSource> file, const TypeLibLocation& where);

// Every TYPELIB resource of a PE file, in resource-directory order. Empty for
// a PE without one; an error when the file is not a readable PE.
Expected<std::vector<TypeLibResourceInfo>> ListTypeLibResources(std::shared_ptr<const ByteSource> file,
                                                                const std::string& name);

}  // namespace korvane::formats
