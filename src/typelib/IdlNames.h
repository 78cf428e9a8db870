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

// Renames, in place, every name of the library that is no IDL identifier:
// its own, its types' and the names references carry (the members: see
// MakeIdlMemberNames). One name is changed the same way wherever it stands
// in one scope (here the types and references). Returns the changes. The
// names references carry into the imported libraries are those libraries'
// own or made of identifiers (see NameImportedTypes): when all of those are
// identifiers, as they usually are, the references need no look.
std::vector<NameChange> MakeIdlNames(formats::TypeLibrary& library, const ImportedLibraries& imported = {});

// The same for the members of one type (one scope) and the parameters of
// each of its functions (a scope each); the changes are added to changes.
// The writer calls it for each type just before writing it, while the names
// are at hand.
void MakeIdlMemberNames(formats::TypeInfo& type, std::vector<NameChange>& changes);

// Each change once, in the order first made.
std::vector<NameChange> DistinctChanges(std::vector<NameChange> changes);

// Text for a one-line comment: line breaks and the other control characters
// as \xNN, so that the text cannot end the comment.
std::string CommentText(std::string_view text);

}  // namespace korvane::typelib
