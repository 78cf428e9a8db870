#pragma once
// Type libraries in files, read by our own reader on every platform: the
// "file\N" form resolved against the file system, the file opened without
// waiting on what is no regular file, and its library read from the bytes.

#include <string>
#include <vector>

#include "formats/Expected.h"
#include "formats/TypeLibFile.h"
#include "platform/Process.h"

namespace korvane::platform {

// Where a type-library path points: an existing file is taken whole;
// otherwise a final separator and digits name a TYPELIB resource id. A final
// backslash and digits do too, whatever the separator: registry values and
// Windows tools write "file.dll\2".
formats::TypeLibLocation LocateTypeLib(const std::string& path, char separator = kPathSeparator);

// The attributes of the library a path points to.
formats::Expected<formats::TypeLibAttributes> ReadTypeLibFile(const std::string& path,
                                                              char separator = kPathSeparator);

// The whole content of the library a path points to.
formats::Expected<formats::TypeLibrary> ReadTypeLibraryFile(const std::string& path, char separator = kPathSeparator);

// Names the types the library takes from its imports, reading each imported
// library found beside the library's file (path as given to
// ReadTypeLibraryFile) or in the other folders of TypeLibImportFolders.
// Imports found nowhere keep their references as the file gives them.
void ResolveImportedTypes(formats::TypeLibrary& lib, const std::string& path, char separator = kPathSeparator);

// Every TYPELIB resource of a PE file (empty for a PE without one).
formats::Expected<std::vector<formats::TypeLibResourceInfo>> ListTypeLibResources(const std::string& file);

}  // namespace korvane::platform
