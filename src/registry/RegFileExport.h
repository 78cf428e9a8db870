#pragma once
// Reads a key with everything below it and writes it as a registry script.

#include <string>
#include <vector>

#include "formats/RegFile.h"

namespace korvane {

// The operations that recreate the key tree: each key followed by its values,
// sub-keys after their parent in enumeration order. A result code (not found
// when the key does not exist).
long CollectRegTree(const formats::RegKeyName& key, std::vector<formats::RegOperation>* operations);

// Writes the script to file. An existing file is replaced only when overwrite
// is true, and only once the new one is written whole. Empty on success, else
// the reason.
std::string ExportRegFile(const formats::RegKeyName& key, const std::string& file, bool overwrite);

}  // namespace korvane
