#pragma once
// Writes SLTG type-library data for tests: a header with its block chain, the
// index strings, one block per type and the library block with its per-type
// records and name table.

#include <cstdint>
#include <string>
#include <vector>

#include "formats/TypeLib.h"

namespace korvane::test {

struct SltgFixture {
  std::string name = "SltgLibrary";
  bool hasHelpString = true;
  std::string helpString = "An SLTG library";
  bool hasHelpFile = false;
  std::string helpFile;
  formats::Guid guid{};
  std::uint16_t major = 1;
  std::uint16_t minor = 0;
  std::uint16_t lcid = 0;
  std::uint16_t sysKind = 1;
  std::uint16_t libFlags = 0;
  std::vector<std::string> typeNames;  // one type block and record each
  bool nameTableMarker = false;        // the 0x0200 form of the name-table base
  bool reverseEntries = false;         // list the block entries in reverse chain order
};

std::vector<std::uint8_t> BuildSltg(const SltgFixture& fixture);

// Offsets inside data made by BuildSltg, for tests that damage it.
struct SltgLayout {
  std::size_t blockEntries = 0;   // first block entry
  std::size_t libraryBlock = 0;   // start of the library block
};
SltgLayout LayoutOf(const SltgFixture& fixture);

}  // namespace korvane::test
