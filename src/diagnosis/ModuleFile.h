#pragma once
// Reading a module file's headers, imports and exports from disk.

#include <string>

#include "formats/PeImports.h"

namespace korvane::diagnosis {

// kCannotRead when the file cannot be opened as a regular file.
formats::PeModuleError ReadModuleFile(const std::string& path, formats::PeModuleInfo& info,
                                      formats::PeModuleParts parts);

}  // namespace korvane::diagnosis
