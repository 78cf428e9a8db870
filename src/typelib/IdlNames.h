#pragma once
// Names from a type library made fit for IDL. A library may name its types
// and members with any text; IDL takes only identifiers (a letter or '_',
// then letters, digits and '_') that are none of its keywords. Any other name
// would change what the compiler reads (a member named "x; long y" adds a
// member), so each is written changed, unique in its scope, and the changes
// are listed for a comment.

#include <string>
#include <string_view>
#include <vector>

#include "formats/TypeLibModel.h"
#include "typelib/ImportedTypes.h"

namespace korvane::typelib {

struct NameChange {
  std::string from;
  std::string to;
};

// Whether IDL reads the name as one identifier of its own.
bool IsIdlIdentifier(std::string_view name);

// Renames, in place, every name of the library (its own, its types', their
// members' and parameters', and the names references carry) that is no IDL
// identifier. One name is changed the same way wherever it stands in one
// scope: the types and references, or the members of one type, or the
// parameters of one function. Returns each distinct change once. The names
// references carry into the imported libraries are those libraries' own or
// made here (see NameImportedTypes): when all of those are identifiers, as
// they usually are, the references need no look.
std::vector<NameChange> MakeIdlNames(formats::TypeLibrary& library, const ImportedLibraries& imported = {});

// Text for a one-line comment: line breaks and the other control characters
// as \xNN, so that the text cannot end the comment.
std::string CommentText(std::string_view text);

}  // namespace korvane::typelib
