#pragma once
// Builds small PE images and version blocks in memory, for the malformed
// shapes no compiler writes. Offsets of the interesting structures are kept so
// that tests can damage them.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/PeImage.h"

namespace korvane::test {

using Bytes = std::vector<std::uint8_t>;

void PutU16(Bytes& b, std::size_t at, std::uint16_t v);
void PutU32(Bytes& b, std::size_t at, std::uint32_t v);

struct BuiltResource {
  formats::ResourceId type;
  formats::ResourceId name;
  std::uint16_t language = 0;
  Bytes data;
};

struct BuiltImage {
  Bytes bytes;
  std::size_t peOffset = 0;          // "PE\0\0"
  std::size_t optionalOffset = 0;    // the optional header
  std::size_t sectionTable = 0;      // the first section header
  std::size_t rsrcOffset = 0;        // file offset of the resource directory (its section's start)
  std::uint32_t rsrcRva = 0;
  std::vector<std::size_t> dataEntries;  // file offsets of the data entries, in resource order
  std::vector<std::size_t> boundaries;   // ends of every structure, for truncation
};

// An image file opened the way the program opens one.
formats::Expected<formats::PeImage> OpenImageFile(const std::string& path);

// One image with a single .rsrc section holding the resources (grouped by type,
// then name, as given). stubSize: where the PE header starts (a DOS program
// of that size before it).
BuiltImage BuildImage(const std::vector<BuiltResource>& resources, bool pe64 = true, std::size_t stubSize = 0x40);

// A VS_VERSIONINFO-style node: header, key, value, children, 32-bit aligned from
// the node's start (which the caller keeps aligned). valueLength < 0 means "the
// natural length" (characters for type 1, bytes otherwise).
Bytes VersionNode(const std::string& key, const Bytes& value, int type, const Bytes& children = {},
                  int valueLength = -1);
// Nodes one after another, each aligned to 32 bits.
Bytes Siblings(const std::vector<Bytes>& nodes);
// UTF-16LE text with its terminating NUL.
Bytes Text(const std::string& ascii);
// A 52-byte fixed-information block.
Bytes FixedInfo(std::uint32_t fileMS, std::uint32_t fileLS, std::uint32_t flags, std::uint32_t os,
                std::uint32_t type, std::uint32_t subtype);
// A whole block: root with the fixed block, one StringFileInfo with one table.
Bytes SimpleBlock(const std::vector<std::pair<std::string, std::string>>& strings,
                  const Bytes& fixed = FixedInfo(0x00010002, 0x00030004, 0, 0x00040004, 2, 0));

}  // namespace korvane::test
