#pragma once
// Writes SLTG type-library data for tests: a header with its block chain, the
// index strings, one type-info block per type and the library block with its
// per-type records and name table.

#include <cstdint>
#include <string>
#include <vector>

#include "formats/TypeLib.h"
#include "formats/TypeLibModel.h"

namespace korvane::test {

struct SltgFixture {
  std::string name = "SltgLibrary";
  bool hasHelpString = true;
  std::string helpString = "An SLTG library";
  bool hasHelpFile = false;
  std::string helpFile;
  std::uint32_t helpContext = 0;
  formats::Guid guid{};
  std::uint16_t major = 1;
  std::uint16_t minor = 0;
  std::uint16_t lcid = 0;
  std::uint16_t sysKind = 1;
  std::uint16_t libFlags = 0;
  // Types without members: an empty enum each, with the library's GUID and
  // the help text "type help". They come before `types`.
  std::vector<std::string> typeNames;
  // Types written in full. What the format cannot hold is left out: custom
  // data, default values, help-string contexts, module DLL names and entry
  // points; help contexts of members and instance sizes are 16-bit. A local
  // reference's index counts typeNames first; an imported one names an entry
  // of `imports` and its type's position there.
  std::vector<formats::TypeInfo> types;
  std::vector<formats::ImportedLibrary> imports;
  bool nameTableMarker = false;        // the 0x0200 form of the name-table base
  bool reverseEntries = false;         // list the block entries in reverse chain order
};

std::vector<std::uint8_t> BuildSltg(const SltgFixture& fixture);

// Offsets inside data made by BuildSltg, for tests that damage it.
struct SltgLayout {
  std::size_t blockEntries = 0;              // first block entry
  std::vector<std::size_t> typeInfoBlocks;   // start of each type-info block
  std::size_t libraryBlock = 0;              // start of the library block
};
SltgLayout LayoutOf(const SltgFixture& fixture);

}  // namespace korvane::test
