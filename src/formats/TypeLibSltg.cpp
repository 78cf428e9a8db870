// SLTG type libraries: a header with a chain of blocks, the library block last
// in the chain, and a name table found behind the per-type records.

#include "formats/TextCodec.h"
#include "formats/TypeLib.h"
#include "formats/TypeLibBytes.h"

namespace korvane::formats {

namespace {

constexpr std::uint64_t kHeaderSize = 0x24;
constexpr std::uint64_t kBlockEntrySize = 8;
constexpr std::uint64_t kPadAfterIndex = 9;
constexpr std::uint16_t kLibraryBlockMagic = 0x51CC;
constexpr std::uint16_t kAbsent = 0xFFFF;
constexpr std::uint64_t kAfterLibraryBlock = 0x40;
constexpr std::uint64_t kNameTableHeader = 0x216 + 2;
constexpr std::uint64_t kNameTableExtra = 0x20;
constexpr std::size_t kMaxNameLength = 0x10000;

// Skips a counted 8-bit text (16-bit length, 0xFFFF for none) and returns it.
std::string ReadCounted(const TypeLibBytes& bytes, std::uint64_t& pos) {
  const std::uint16_t length = bytes.U16(pos);
  pos += 2;
  if (length == kAbsent) return {};
  std::string text = Windows1252ToUtf8(bytes.Bytes(pos, length));
  pos += length;
  return text;
}

// The offset of the library block: the last block of the chain that starts at
// the header's first block, the blocks lying one after another in chain order.
std::uint64_t FindLibraryBlock(const TypeLibBytes& bytes, std::uint16_t blockCount, std::uint64_t blocksStart,
                               std::uint16_t firstBlock) {
  const std::uint16_t entries = static_cast<std::uint16_t>(blockCount - 1);
  std::uint64_t offset = blocksStart;
  std::uint16_t current = firstBlock;
  for (std::uint16_t visited = 0;; ++visited) {
    if (current == 0 || current > entries) throw TypeLibError("SLTG block chain names a missing block");
    if (visited >= entries) throw TypeLibError("SLTG block chain loops");
    const std::uint64_t entry = kHeaderSize + (current - 1u) * kBlockEntrySize;
    const std::uint32_t length = bytes.U32(entry);
    const std::uint16_t next = bytes.U16(entry + 6);
    if (next == 0) {
      bytes.Require(offset, length);
      return offset;
    }
    offset += length;
    current = next;
  }
}

// Steps over one per-type record behind the library block.
void SkipTypeRecord(const TypeLibBytes& bytes, std::uint64_t& pos) {
  pos += 2;                  // number
  ReadCounted(bytes, pos);   // first name
  ReadCounted(bytes, pos);   // second name
  pos += 2 + 2;              // unknown word, name offset
  ReadCounted(bytes, pos);   // help string
  pos += 2 + 4 + 2 + 16 + 2; // unknown, help context, unknown, GUID, type kind
  bytes.Require(pos, 0);
}

std::string ReadZeroTerminated(const TypeLibBytes& bytes, std::uint64_t pos) {
  std::string raw;
  for (;;) {
    const std::uint8_t c = bytes.U8(pos++);
    if (c == 0) break;
    if (raw.size() >= kMaxNameLength) throw TypeLibError("SLTG library name is unterminated");
    raw.push_back(static_cast<char>(c));
  }
  return Windows1252ToUtf8({reinterpret_cast<const std::uint8_t*>(raw.data()), raw.size()});
}

}  // namespace

TypeLibAttributes ReadSltgTypeLib(std::span<const std::uint8_t> data) {
  const TypeLibBytes bytes(data);
  if (!bytes.Contains(0, kHeaderSize)) throw TypeLibError("SLTG header is truncated");
  if (bytes.U32(0) != 0x47544C53) throw TypeLibError("not SLTG data");
  const std::uint16_t blockCount = bytes.U16(0x04);
  const std::uint16_t indexSize = bytes.U16(0x08);
  const std::uint16_t firstBlock = bytes.U16(0x0A);
  if (blockCount < 2) throw TypeLibError("SLTG library has no blocks");

  const std::uint64_t entriesEnd = kHeaderSize + (blockCount - 1u) * kBlockEntrySize;
  const std::uint64_t blocksStart = entriesEnd + indexSize + kPadAfterIndex;
  bytes.Require(0, blocksStart);
  const std::uint64_t lib = FindLibraryBlock(bytes, blockCount, blocksStart, firstBlock);

  if (bytes.U16(lib) != kLibraryBlockMagic) throw TypeLibError("SLTG library block has a wrong signature");
  std::uint64_t pos = lib + 4;
  const std::uint16_t nameOffset = bytes.U16(pos);
  pos += 2;
  const std::uint16_t skip = bytes.U16(pos);
  pos += 2;
  if (skip != kAbsent) pos += skip;

  TypeLibAttributes attr;
  attr.format = TypeLibFormat::Sltg;
  attr.helpString = ReadCounted(bytes, pos);
  attr.helpFile = ReadCounted(bytes, pos);
  pos += 4;  // help context
  attr.sysKind = bytes.U16(pos);
  attr.lcid = bytes.U16(pos + 2);
  attr.libFlags = bytes.U16(pos + 8);
  attr.majorVersion = bytes.U16(pos + 10);
  attr.minorVersion = bytes.U16(pos + 12);
  attr.guid = GuidFromBytes(bytes.Bytes(pos + 14, 16).first<16>());
  pos += 14 + 16 + kAfterLibraryBlock;

  for (std::uint32_t i = 0; i + 2u < blockCount; ++i) SkipTypeRecord(bytes, pos);
  pos += 2;
  std::uint64_t nameTable = lib + bytes.U32(pos);
  if (bytes.U16(nameTable) == 0x0200) nameTable += kNameTableExtra;
  nameTable += kNameTableHeader;
  attr.name = ReadZeroTerminated(bytes, nameTable + nameOffset);
  return attr;
}

}  // namespace korvane::formats
