#pragma once
// A walk of a raw VS_VERSIONINFO block, the tree that a version resource holds:
// nodes of {length, value length, type, key, value, children}, each aligned to
// 32 bits from the start of the block. Both layouts are read: the usual one with
// UTF-16LE keys and values, and the old one with 8-bit (Windows-1252) text.
//
// Lengths recorded in the block are never trusted: every node is clamped to its
// parent, a node too short to hold its own header ends the walk of its siblings,
// and the tree is only ever walked three levels deep.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "formats/Expected.h"

namespace korvane::formats {

// The 52-byte VS_FIXEDFILEINFO: thirteen little-endian 32-bit fields.
inline constexpr std::size_t kFixedFileInfoSize = 52;

struct FixedFileInfo {
  std::uint32_t signature = 0;
  std::uint32_t strucVersion = 0;
  std::uint32_t fileVersionMS = 0;
  std::uint32_t fileVersionLS = 0;
  std::uint32_t productVersionMS = 0;
  std::uint32_t productVersionLS = 0;
  std::uint32_t fileFlagsMask = 0;
  std::uint32_t fileFlags = 0;
  std::uint32_t fileOS = 0;
  std::uint32_t fileType = 0;
  std::uint32_t fileSubtype = 0;
  std::uint32_t fileDateMS = 0;
  std::uint32_t fileDateLS = 0;
};

// Decodes the first 52 bytes; kBadVersionBlock when there are fewer.
Expected<FixedFileInfo> DecodeFixedFileInfo(std::span<const std::uint8_t> bytes);

// A range of bytes inside a block.
struct BlockRange {
  std::size_t offset = 0;
  std::size_t length = 0;
};

using VersionStrings = std::vector<std::pair<std::string, std::string>>;

// The value of the first of strings whose key equals key ignoring letter case;
// empty when there is none.
std::string LookupVersionString(const VersionStrings& strings, std::string_view key);

class VersionBlock {
 public:
  // A view of the block: the bytes must outlive the object.
  explicit VersionBlock(std::span<const std::uint8_t> block);

  // Where the root node's value (the VS_FIXEDFILEINFO) lies inside the block,
  // as VerQueryValue with the root sub-block reports it: kBadVersionBlock when
  // the block holds no readable root node, kNotFound when the root has no value.
  Expected<BlockRange> RootValue() const;

  // The strings of the first string table of the first StringFileInfo, in
  // their order: key and value, each value cut to its recorded length and at
  // its first NUL.
  VersionStrings Strings() const;
  // LookupVersionString on Strings().
  std::string StringValue(std::string_view key) const;

 private:
  std::span<const std::uint8_t> block_;
};

}  // namespace korvane::formats
