#include "formats/VersionBlock.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "formats/LittleEndian.h"
#include "formats/TextCodec.h"

namespace korvane::formats {

namespace {

// A node's header: its length, its value's length and (usual layout only) the
// value's type. The key follows the header at once.
constexpr std::size_t kLengthAt = 0;
constexpr std::size_t kValueLengthAt = 2;
constexpr std::size_t kTypeAt = 4;
constexpr std::size_t kHeaderSize = 6;
constexpr std::size_t kNarrowHeaderSize = 4;
constexpr std::uint16_t kTypeText = 1;  // the value length counts characters
// Where the old layout has the first key byte and the usual one the type.
constexpr std::size_t kLayoutMarkerAt = 4;

struct Node {
  std::size_t end = 0;            // one past the node, clamped to its parent
  std::string key;
  std::uint16_t valueLength = 0;  // as recorded
  std::uint16_t type = 0;
  std::size_t valueOffset = 0;
  std::size_t valueBytes = 0;     // recorded value size in bytes, clamped to the node
  std::size_t children = 0;       // where the first child would start
};

std::size_t Align4(std::size_t offset) { return (offset + 3) & ~std::size_t{3}; }

// The old layout (16-bit files) has 8-bit keys and no type field; it is told
// apart by a printable byte where the usual layout keeps its type.
bool IsNarrow(std::span<const std::uint8_t> block) {
  return block.size() > kLayoutMarkerAt && block[kLayoutMarkerAt] >= ' ';
}

// Reads the node at `at`, which must end by `limit`.
bool ReadNode(std::span<const std::uint8_t> block, bool narrow, std::size_t at, std::size_t limit, Node& node) {
  const std::size_t header = narrow ? kNarrowHeaderSize : kHeaderSize;
  if (at >= limit || limit - at < header) return false;
  const std::uint8_t* start = block.data() + at;
  // A length shorter than the header fails the key's bound below.
  node.end = std::min(limit, at + LoadU16(start + kLengthAt));
  node.valueLength = LoadU16(start + kValueLengthAt);
  node.type = narrow ? 0 : LoadU16(start + kTypeAt);

  std::size_t pos = at + header;
  const std::size_t unit = narrow ? 1 : 2;
  const std::size_t keyStart = pos;
  while (true) {
    if (pos + unit > node.end) return false;  // a key without its terminator
    const bool nul = narrow ? block[pos] == 0 : LoadU16(block.data() + pos) == 0;
    if (nul) break;
    pos += unit;
  }
  const auto keyBytes = block.subspan(keyStart, pos - keyStart);
  node.key = narrow ? Windows1252ToUtf8(keyBytes) : Utf16LeToUtf8(keyBytes);

  node.valueOffset = std::min(Align4(pos + unit), node.end);
  const std::size_t recorded = (!narrow && node.type == kTypeText) ? std::size_t{node.valueLength} * 2 : node.valueLength;
  node.valueBytes = std::min(recorded, node.end - node.valueOffset);
  node.children = Align4(node.valueOffset + recorded);
  return true;
}

// Calls visit(node) for each child of parent until it returns false.
template <typename Visit>
void ForEachChild(std::span<const std::uint8_t> block, bool narrow, const Node& parent, Visit visit) {
  std::size_t at = parent.children;
  Node child;
  while (ReadNode(block, narrow, at, parent.end, child)) {
    if (!visit(child)) return;
    at = Align4(child.end);
  }
}

std::string TextValue(std::span<const std::uint8_t> block, bool narrow, const Node& node) {
  // Text lengths count characters, whatever the node's type says; some writers
  // mark text as binary, so the count is read as characters and clamped.
  const std::size_t unit = narrow ? 1 : 2;
  const std::size_t available = node.end - node.valueOffset;
  std::size_t bytes = std::min(std::size_t{node.valueLength} * unit, available);
  bytes -= bytes % unit;
  auto value = block.subspan(node.valueOffset, bytes);
  for (std::size_t i = 0; i + unit <= value.size(); i += unit) {
    const bool nul = narrow ? value[i] == 0 : (value[i] == 0 && value[i + 1] == 0);
    if (nul) {
      value = value.first(i);
      break;
    }
  }
  return narrow ? Windows1252ToUtf8(value) : Utf16LeToUtf8(value);
}

}  // namespace

Expected<FixedFileInfo> DecodeFixedFileInfo(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kFixedFileInfoSize) {
    return MakeError(ErrorKind::kBadVersionBlock, "the fixed file information is " + std::to_string(bytes.size()) +
                                                      " bytes, not " + std::to_string(kFixedFileInfoSize));
  }
  std::uint32_t f[kFixedFileInfoSize / 4];
  for (std::size_t i = 0; i < std::size(f); ++i) f[i] = LoadU32(bytes.data() + i * 4);
  return FixedFileInfo{f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8], f[9], f[10], f[11], f[12]};
}

VersionBlock::VersionBlock(std::span<const std::uint8_t> block) : block_(block) {}

Expected<BlockRange> VersionBlock::RootValue() const {
  Node root;
  if (!ReadNode(block_, IsNarrow(block_), 0, block_.size(), root)) {
    return MakeError(ErrorKind::kBadVersionBlock, "no root node");
  }
  if (root.valueBytes == 0) return MakeError(ErrorKind::kNotFound, "the root node has no value");
  return BlockRange{root.valueOffset, root.valueBytes};
}

VersionStrings VersionBlock::Strings() const {
  VersionStrings strings;
  const bool narrow = IsNarrow(block_);
  Node root;
  if (!ReadNode(block_, narrow, 0, block_.size(), root)) return strings;
  ForEachChild(block_, narrow, root, [&](const Node& fileInfo) {
    if (!EqualsIgnoringAsciiCase(fileInfo.key, "StringFileInfo")) return true;  // VarFileInfo may come first
    ForEachChild(block_, narrow, fileInfo, [&](const Node& table) {
      ForEachChild(block_, narrow, table, [&](const Node& entry) {
        strings.emplace_back(entry.key, TextValue(block_, narrow, entry));
        return true;
      });
      return false;  // only the first string table
    });
    return false;  // only the first StringFileInfo
  });
  return strings;
}

std::string LookupVersionString(const VersionStrings& strings, std::string_view key) {
  for (const auto& [name, value] : strings) {
    if (EqualsIgnoringAsciiCase(name, key)) return value;
  }
  return {};
}

std::string VersionBlock::StringValue(std::string_view key) const { return LookupVersionString(Strings(), key); }

}  // namespace korvane::formats
