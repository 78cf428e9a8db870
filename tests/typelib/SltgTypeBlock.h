#pragma once
// Writes one SLTG type-info block for the test builder: header, reference
// table, member data (implemented types, functions, variables and what they
// point to) and tail.

#include <cstdint>
#include <vector>

#include "SltgWriter.h"
#include "formats/TypeLibModel.h"

namespace korvane::test::sltg {

// importNames: the name-table offset of each import's description. Member
// and parameter names are added to names.
std::vector<std::uint8_t> TypeInfoBlock(const formats::TypeInfo& type, NameTable& names,
                                        const std::vector<std::uint16_t>& importNames);

}  // namespace korvane::test::sltg
