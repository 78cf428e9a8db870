#pragma once
// Registration into a chosen Wine prefix: the component is registered by the
// Windows korvane-cli of its own architecture (x86 for a 32-bit file, x64 for
// a 64-bit one, from its PE header) running under Wine in that prefix, so the
// loader, COM initialisation and the 10-second bound are Windows' own. Its
// exit code is the outcome, which comes back as the same outcome here.

#include <cstdint>
#include <string>

#include "formats/Expected.h"
#include "registration/clsRegistrator.h"

namespace korvane {

// True when the registry in use is a Wine prefix's.
bool WinePrefixChosen();

// The PE machine of a file (formats::kMachineI386, ...), from its headers.
formats::Expected<std::uint16_t> ComponentMachine(const std::string& file);

clsRegistrator::Result PerformInWinePrefix(const std::string& file, bool unregister);

}  // namespace korvane
