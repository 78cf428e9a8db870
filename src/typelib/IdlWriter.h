#pragma once
// A type library written back as IDL, laid out as the usual type-library
// viewers show it, and made so that the Wine IDL compiler (widl) builds an
// equivalent library from it: the file declares the base types it uses
// itself, so it needs no include files.

#include <string>

#include "formats/TypeLibModel.h"
#include "typelib/ImportedTypes.h"

namespace korvane::typelib {

struct IdlOptions {
  std::string fileName;  // named in the header comment when not empty
  // The imported libraries (see ImportedTypes.h): they give the names and
  // kinds of the types used from them. Without them only IUnknown and
  // IDispatch are known by name.
  ImportedLibraries imports;
};

std::string WriteIdl(const formats::TypeLibrary& library, const IdlOptions& options = {});
// The same without a copy of the library, which the writer changes (it names
// the imported types and makes the names valid identifiers).
std::string WriteIdl(formats::TypeLibrary&& library, const IdlOptions& options = {});

}  // namespace korvane::typelib
