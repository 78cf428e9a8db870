#pragma once
// Reading a module file's headers, imports and exports from disk.

#include <string>

#include "formats/PeImports.h"

namespace korvane::diagnosis {

// The file reader's own error (kCannotOpen, kNotRegularFile, ...) when the
// file cannot be opened as a regular file.
formats::Expected<formats::PeModuleInfo> ReadModuleFile(const std::string& path, formats::PeModuleParts parts);

}  // namespace korvane::diagnosis
