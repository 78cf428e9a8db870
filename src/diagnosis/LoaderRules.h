#pragma once
// Fixed rules of the Windows loader about module names: API-set names that the
// system provides itself, the known DLLs that only ever come from the system
// folder, and the ".dll" added to a name without an extension.

#include <string>
#include <string_view>

namespace korvane::diagnosis {

// api-ms-win-* and ext-ms-* names: contracts the system maps to its own modules.
bool IsApiSetName(std::string_view name);
// A module of the KnownDLLs list of current Windows versions.
bool IsKnownDll(std::string_view name);
// The name the loader searches for: ".dll" appended when the name has no
// extension (a trailing dot means "no extension, search as written").
std::string SearchName(std::string_view imported);
// Lower-case ASCII form, the loader's name comparison.
std::string FoldName(std::string_view name);

}  // namespace korvane::diagnosis
