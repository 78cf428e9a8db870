#pragma once
// Types a library uses from the libraries it imports. The file stores such a
// reference by the type's GUID (MSFT) or its position (SLTG); its name and
// kind live in the imported library, read separately and given here, one
// entry per TypeLibrary::imports (null where it was not found).

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "formats/TypeLibModel.h"

namespace korvane::typelib {

using ImportedLibraries = std::vector<const formats::TypeLibrary*>;

// The imported type a reference names, when its library is given and holds it.
const formats::TypeInfo* FindImportedType(const formats::TypeRef& ref, const ImportedLibraries& imported);

// Names the references into imported libraries from those libraries (the
// reader's ResolveImportedTypes); IUnknown and IDispatch are known by their
// GUIDs even without their library. unnamed, when given, is called for each
// reference still without a name.
void NameImportedTypes(formats::TypeLibrary& library, const ImportedLibraries& imported,
                       const std::function<void(formats::TypeRef&)>& unnamed = {});

// Calls visit for every type reference of the library (type descriptions at
// any depth, implemented interfaces).
void ForEachTypeRef(formats::TypeLibrary& library, const std::function<void(formats::TypeRef&)>& visit);

// Reads the libraries a library imports, each looked for by its file name
// (without any folder it was stored with) in the folders, in order. The
// standard OLE library, when found nowhere, is given by its known types.
std::vector<std::optional<formats::TypeLibrary>> ReadImportedLibraries(const formats::TypeLibrary& library,
                                                                       const std::vector<std::string>& folders);

// The same for a library read from path (as given to ReadTypeLibraryFile):
// looked for beside its file, then in the folders of TypeLibImportFolders
// for the library's platform.
std::vector<std::optional<formats::TypeLibrary>> ReadImportedLibrariesOf(const formats::TypeLibrary& library,
                                                                         const std::string& path);

// Pointers to the libraries that were found, for the functions above.
ImportedLibraries ImportedPointers(const std::vector<std::optional<formats::TypeLibrary>>& libraries);

}  // namespace korvane::typelib
