#pragma once
// The texts through which SLTG type infos name the types they refer to and
// the libraries those come from.

#include <cstdint>
#include <optional>
#include <string>

#include "formats/TypeLibModel.h"

namespace korvane::formats::sltg {

// A reference name, *\R<library>*#<index> with both numbers in hex: the
// library is 0xFFFF for this library, else the name-table offset of the
// imported library's description; the index is the type's position there.
struct RefName {
  std::uint32_t library = 0;
  std::uint32_t index = 0;
};
std::optional<RefName> ParseRefName(const std::string& text);

// An imported library's description: *\G{guid}#major.minor#lcid#file#, the
// version in decimal, the LCID in hex.
std::optional<ImportedLibrary> ParseImport(const std::string& text);

}  // namespace korvane::formats::sltg
