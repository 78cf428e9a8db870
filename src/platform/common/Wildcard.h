#pragma once
// The name matching of a Windows folder search, shared by the back ends. Each
// back end folds letter case as its file system does; the rules are the same.

#include <string>
#include <string_view>

namespace korvane::platform {

// The text as code points in one letter case, the way this platform's file
// system compares names. Provided by each back end.
std::u32string FoldForWildcard(std::string_view text);

// pattern and name already folded: '?' matches one character, or nothing at a
// dot or at the end of the name; '*' directly before a dot stops at the last
// dot of the name; a dot before a wildcard or at the end of the pattern also
// matches the end of a name without an extension.
bool MatchFoldedWildcard(const std::u32string& pattern, const std::u32string& name);

}  // namespace korvane::platform
