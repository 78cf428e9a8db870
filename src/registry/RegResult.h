#pragma once
// What the registry functions' result codes mean, for messages and for
// telling a registry that cannot be read from a key that is not there.

#include <string>

namespace korvane {

// "access is denied (5)" style text for a result code; a registry that cannot
// be read names its store.
std::string RegResultText(long code);

// True for the codes that say the registry itself failed (its store corrupt,
// or impossible to open, read or write), as opposed to an answer about a key.
bool IsRegistryUnreadable(long code);

}  // namespace korvane
