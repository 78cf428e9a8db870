#include "forms/TypeLibraryIdl.h"

#include <utility>

#include "platform/TypeLibFile.h"
#include "typelib/IdlWriter.h"
#include "typelib/ImportedTypes.h"

namespace korvane::forms {

formats::Expected<std::string> TypeLibraryIdl(const std::string& path) {
  formats::Expected<formats::TypeLibrary> library = platform::ReadTypeLibraryFile(path);
  if (!library) return library.error();
  // The imported libraries name the types used from them (stdole2's are
  // known even without its file).
  const auto imported = typelib::ReadImportedLibrariesOf(*library, path);
  typelib::IdlOptions options;
  options.fileName = path;
  options.imports = typelib::ImportedPointers(imported);
  return typelib::WriteIdl(std::move(*library), options);
}

}  // namespace korvane::forms
