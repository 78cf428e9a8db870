#pragma once
// The frame of SLTG data shared by the header reader and the full reader: the
// block chain, the library block with its attributes, the per-type records
// behind it and the name table.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "formats/Expected.h"
#include "formats/TypeLib.h"
#include "formats/TypeLibBytes.h"

namespace korvane::formats::sltg {

// One block of the chain: its place in the data.
struct Block {
  std::uint64_t offset = 0;
  std::uint32_t length = 0;
};

// The library block's record of one type info.
struct TypeRecord {
  std::uint16_t nameOffset = 0;  // into the name table
  std::string helpString;
  std::uint32_t helpContext = 0;
  Guid guid{};
  std::uint16_t typeKind = 0;
};

struct Layout {
  std::vector<Block> typeBlocks;  // chain order: the type infos in the library's order
  std::uint64_t libraryBlock = 0;
  TypeLibAttributes attributes;
  std::uint32_t helpContext = 0;
  std::vector<TypeRecord> records;
  std::uint64_t nameTable = 0;  // where name offsets count from
};

Expected<Layout> ReadLayout(std::span<const std::uint8_t> data);

// The NUL-terminated 8-bit name at the name table + offset, as UTF-8.
Expected<std::string> ReadName(const TypeLibBytes& bytes, std::uint64_t nameTable, std::uint64_t offset,
                               const char* what);

// A counted 8-bit text (16-bit length, 0xFFFF for none) at pos; pos moves past it.
Expected<std::string> ReadCounted(const TypeLibBytes& bytes, std::uint64_t& pos, const char* what);

}  // namespace korvane::formats::sltg
