#pragma once
// The choice of registry on both programs' command lines: --wineprefix DIR
// (or --wineprefix=DIR) chooses a Wine prefix, as WINEPREFIX does; without
// one the registry store is used (--registry / KORVANE_REGISTRY on
// korvane-cli). A store and a prefix together, or a prefix that cannot be
// read, is a usage error.

#include <string>
#include <vector>

#include "common/Json.h"

namespace korvane {

// Recognises args[i] as the --wineprefix option; sets WINEPREFIX from it and
// moves i past its operand. Returns false when args[i] is something else;
// *error is set when the option has no folder.
bool TakeWinePrefixOption(const std::vector<std::string>& args, std::size_t& i, std::string* error);

// "" when the registry the environment chooses can be used, else one line
// saying why not.
std::string RegistryChoiceProblem();

// The registry in use, for people ("Wine prefix /home/u/.wine") and for
// --json output (an object with "kind": "wineprefix" or "store", and
// "location").
std::string RegistryInUse();
Json RegistryInUseJson();

}  // namespace korvane
