#include "forms/TypeLibraryIdl.h"

#include "platform/TypeLibFile.h"
#include "typelib/IdlWriter.h"

namespace korvane::forms {

formats::Expected<std::string> TypeLibraryIdl(const std::string& path) {
  formats::Expected<formats::TypeLibrary> library = platform::ReadTypeLibraryFile(path);
  if (!library) return library.error();
  typelib::IdlOptions options;
  options.fileName = path;
  return typelib::WriteIdl(std::move(*library), options);
}

}  // namespace korvane::forms
