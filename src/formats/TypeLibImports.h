#pragma once
// Names for the types a library takes from the libraries it imports. The
// file itself holds only the imported type's GUID or its index there; the
// imported library's own content supplies the name.

#include <vector>

#include "formats/TypeLibModel.h"

namespace korvane::formats {

// Fills name (and the GUID of types referred to by index) of every reference
// into an imported library: imported[i] is the content of lib.imports[i], or
// null when it could not be read. References that match nothing keep what
// they had.
void ResolveImportedTypes(TypeLibrary& lib, const std::vector<const TypeLibrary*>& imported);

}  // namespace korvane::formats
