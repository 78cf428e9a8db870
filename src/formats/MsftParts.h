#pragma once
// The pieces of the full MSFT reader, each in its own file: type
// descriptions and type references, values and custom data, and the member
// records (functions and variables) of one type info.

#include <cstdint>
#include <string>
#include <vector>

#include "formats/MsftFile.h"
#include "formats/TypeLibModel.h"

namespace korvane::formats::msft {

// What a type reference resolves against: the names of the library's own
// types and where each imported library starts in the import-file segment.
struct RefContext {
  const MsftFile& file;
  std::vector<std::string> typeNames;
  std::vector<std::int32_t> importOffsets;
};

// A type reference (hreftype): a local type info's offset in the type-info
// table, or (low bit set) an import info's offset in its segment.
Expected<TypeRef> ReadTypeRef(const RefContext& refs, std::int32_t hreftype);

// A type as fields and parameters store it: with the high bit set a plain
// VARTYPE, otherwise the offset of an entry in the type-description segment.
Expected<TypeDesc> ReadTypeDesc(const RefContext& refs, std::int32_t encoded);

// A value: with the high bit set a small one stored inline (VARTYPE in bits
// 26..30, value in bits 0..25), otherwise the offset of a VARTYPE and its
// value in the custom-data segment.
Expected<Value> ReadValue(const MsftFile& file, std::int32_t encoded);

// The custom data of an item: a chain of {GUID offset, value, next} entries
// in the custom-data GUID segment, from head (kAbsent: none).
Expected<std::vector<CustomData>> ReadCustomData(const MsftFile& file, std::int32_t head);

// Where the member records of a type info lie and how many there are.
struct MemberBlock {
  std::int32_t offset = kAbsent;  // file offset of the block
  std::uint32_t functions = 0;
  std::uint32_t variables = 0;
};

// The functions and variables of one type info.
Expected<void> ReadMembers(const RefContext& refs, const MemberBlock& block, TypeInfo& into);

}  // namespace korvane::formats::msft
