// SLTG type libraries: a header with a chain of blocks, the library block last
// in the chain, and a name table found behind the per-type records.

#include "formats/TextCodec.h"
#include "formats/TypeLibSltgLayout.h"

namespace korvane::formats {

namespace sltg {

namespace {

// The header.
constexpr std::uint64_t kHeaderSize = 0x24;
constexpr std::size_t kMagicAt = 0x00;
constexpr std::size_t kBlockCountAt = 0x04;  // entries + 1
constexpr std::size_t kIndexSizeAt = 0x08;
constexpr std::size_t kFirstBlockAt = 0x0A;  // 1-based
constexpr std::uint32_t kMagic = 0x47544C53;  // "SLTG"

// The block entries after the header: {length, index-string offset, next}.
constexpr std::uint64_t kBlockEntrySize = 8;
constexpr std::size_t kEntryLengthAt = 0;
constexpr std::size_t kEntryNextAt = 6;  // 1-based, 0 ends the chain
constexpr std::uint64_t kPadAfterIndex = 9;

// The library block: a magic, a name offset, an optional skipped part, the
// help string and help file as counted texts, then fields of fixed size.
constexpr std::uint64_t kLibMagicAt = 0;
constexpr std::uint16_t kLibraryBlockMagic = 0x51CC;
constexpr std::uint64_t kLibNameOffsetAt = 4;
constexpr std::uint64_t kLibSkipAt = 6;
constexpr std::uint64_t kLibTextsAt = 8;
constexpr std::uint16_t kAbsent = 0xFFFF;
// The fixed fields after the help file, from the help context on.
constexpr std::uint64_t kTailSize = 34;
constexpr std::size_t kTailSysKindAt = 4;
constexpr std::size_t kTailLcidAt = 6;
constexpr std::size_t kTailFlagsAt = 12;
constexpr std::size_t kTailMajorAt = 14;
constexpr std::size_t kTailMinorAt = 16;
constexpr std::size_t kTailGuidAt = 18;
constexpr std::size_t kGuidSize = 16;
constexpr std::uint64_t kAfterLibraryBlock = 0x40;

// One per-type record: a number, two names, a word and a name offset, a help
// string, then fixed fields (word, help context, word, GUID, type kind).
constexpr std::uint64_t kRecordNumberSize = 2;
constexpr std::uint64_t kRecordNameOffsetAt = 2;  // after the two names
constexpr std::uint64_t kRecordMiddleSize = 2 + 2;
constexpr std::size_t kRecordHelpContextAt = 2;  // in the tail after the help string
constexpr std::size_t kRecordGuidAt = 8;
constexpr std::size_t kRecordKindAt = 24;
constexpr std::uint64_t kRecordTailSize = 2 + 4 + 2 + 16 + 2;

// Behind the records: a word, then the 32-bit distance from the library block
// to the name table, whose header is longer when it starts with a marker.
constexpr std::uint64_t kBeforeNameTableOffset = 2;
constexpr std::uint16_t kNameTableMarker = 0x0200;
constexpr std::uint64_t kNameTableExtra = 0x20;
constexpr std::uint64_t kNameTableHeader = 0x216 + 2;
constexpr std::size_t kMaxNameLength = 0x10000;

// The blocks of the chain that starts at the header's first block, lying one
// after another in chain order; the last one is the library block.
Expected<std::vector<Block>> WalkChain(const TypeLibBytes& bytes, std::span<const std::uint8_t> entries,
                                       std::uint64_t blocksStart, std::uint16_t firstBlock) {
  const std::size_t count = entries.size() / kBlockEntrySize;
  std::vector<Block> chain;
  std::uint64_t offset = blocksStart;
  std::uint16_t current = firstBlock;
  for (;;) {
    if (current == 0 || current > count) return MakeError(ErrorKind::kBadTypeLib, "SLTG block chain names a missing block");
    if (chain.size() >= count) return MakeError(ErrorKind::kBadTypeLib, "SLTG block chain loops");
    const std::uint8_t* entry = entries.data() + (current - 1u) * kBlockEntrySize;
    const std::uint32_t length = LoadU32(entry + kEntryLengthAt);
    chain.push_back({offset, length});
    const std::uint16_t next = LoadU16(entry + kEntryNextAt);
    if (next == 0) {
      // The type-info blocks before it are checked by the reader of their content.
      if (const auto block = bytes.Bytes(offset, length, "SLTG library block"); !block) return block.error();
      return chain;
    }
    offset += length;
    current = next;
  }
}

// One per-type record behind the library block; pos moves past it.
Expected<TypeRecord> ReadTypeRecord(const TypeLibBytes& bytes, std::uint64_t& pos) {
  pos += kRecordNumberSize;
  for (const char* what : {"SLTG type name", "SLTG second type name"}) {
    if (auto text = ReadCounted(bytes, pos, what); !text) return text.error();
  }
  TypeRecord record;
  const std::uint64_t middle = pos;
  pos += kRecordMiddleSize;
  auto help = ReadCounted(bytes, pos, "SLTG type help string");
  if (!help) return help.error();
  // Read after the help string so that a short record is named by that text.
  const auto nameOffset = bytes.U16(middle + kRecordNameOffsetAt, "SLTG type record");
  if (!nameOffset) return nameOffset.error();
  record.nameOffset = *nameOffset;
  // The text is stored with its terminator on some writers.
  while (!help->empty() && help->back() == '\0') help->pop_back();
  record.helpString = std::move(*help);
  const auto tail = bytes.Bytes(pos, kRecordTailSize, "SLTG type record");
  if (!tail) return tail.error();
  record.helpContext = LoadU32(tail->data() + kRecordHelpContextAt);
  record.guid = GuidFromBytes(tail->subspan(kRecordGuidAt).first<kGuidSize>());
  record.typeKind = LoadU16(tail->data() + kRecordKindAt);
  pos += kRecordTailSize;
  return record;
}

}  // namespace

Expected<std::string> ReadCounted(const TypeLibBytes& bytes, std::uint64_t& pos, const char* what) {
  const auto length = bytes.U16(pos, what);
  if (!length) return length.error();
  pos += 2;
  if (*length == kAbsent) return std::string();
  const auto text = bytes.Bytes(pos, *length, what);
  if (!text) return text.error();
  pos += *length;
  return Windows1252ToUtf8(*text);
}

Expected<std::string> ReadName(const TypeLibBytes& bytes, std::uint64_t nameTable, std::uint64_t offset,
                               const char* what) {
  std::string raw;
  for (std::uint64_t pos = nameTable + offset;; ++pos) {
    const auto c = bytes.Bytes(pos, 1, what);
    if (!c) return c.error();
    if ((*c)[0] == 0) break;
    if (raw.size() >= kMaxNameLength) return MakeError(ErrorKind::kBadTypeLib, std::string(what) + " is unterminated");
    raw.push_back(static_cast<char>((*c)[0]));
  }
  return Windows1252ToUtf8({reinterpret_cast<const std::uint8_t*>(raw.data()), raw.size()});
}

Expected<Layout> ReadLayout(std::span<const std::uint8_t> data) {
  const TypeLibBytes bytes(data);
  const auto header = bytes.Bytes(0, kHeaderSize, "SLTG header");
  if (!header) return header.error();
  if (LoadU32(header->data() + kMagicAt) != kMagic) return MakeError(ErrorKind::kNotTypeLib, "not SLTG data");
  const std::uint16_t blockCount = LoadU16(header->data() + kBlockCountAt);
  const std::uint16_t indexSize = LoadU16(header->data() + kIndexSizeAt);
  const std::uint16_t firstBlock = LoadU16(header->data() + kFirstBlockAt);
  if (blockCount < 2) return MakeError(ErrorKind::kBadTypeLib, "SLTG library has no blocks");

  // The block entries and the index strings come before the blocks.
  const std::uint64_t entriesSize = (blockCount - 1u) * kBlockEntrySize;
  const std::uint64_t blocksStart = kHeaderSize + entriesSize + indexSize + kPadAfterIndex;
  const auto front = bytes.Bytes(0, blocksStart, "SLTG block entries and index strings");
  if (!front) return front.error();
  const auto entries = front->subspan(kHeaderSize, entriesSize);
  auto chain = WalkChain(bytes, entries, blocksStart, firstBlock);
  if (!chain) return chain.error();
  Layout layout;
  layout.libraryBlock = chain->back().offset;
  chain->pop_back();
  layout.typeBlocks = std::move(*chain);
  const std::uint64_t lib = layout.libraryBlock;

  const auto magic = bytes.U16(lib + kLibMagicAt, "SLTG library block");
  if (!magic) return magic.error();
  if (*magic != kLibraryBlockMagic) return MakeError(ErrorKind::kBadTypeLib, "SLTG library block has a wrong signature");
  const auto nameOffset = bytes.U16(lib + kLibNameOffsetAt, "SLTG library block");
  const auto skip = bytes.U16(lib + kLibSkipAt, "SLTG library block");
  if (!nameOffset) return nameOffset.error();
  if (!skip) return skip.error();
  std::uint64_t pos = lib + kLibTextsAt + (*skip != kAbsent ? *skip : 0);

  TypeLibAttributes& attr = layout.attributes;
  attr.format = TypeLibFormat::Sltg;
  auto helpString = ReadCounted(bytes, pos, "SLTG help string");
  if (!helpString) return helpString.error();
  attr.helpString = std::move(*helpString);
  auto helpFile = ReadCounted(bytes, pos, "SLTG help file");
  if (!helpFile) return helpFile.error();
  attr.helpFile = std::move(*helpFile);

  const auto tail = bytes.Bytes(pos, kTailSize, "SLTG library attributes");
  if (!tail) return tail.error();
  layout.helpContext = LoadU32(tail->data());
  attr.sysKind = LoadU16(tail->data() + kTailSysKindAt);
  attr.lcid = LoadU16(tail->data() + kTailLcidAt);
  attr.libFlags = LoadU16(tail->data() + kTailFlagsAt);
  attr.majorVersion = LoadU16(tail->data() + kTailMajorAt);
  attr.minorVersion = LoadU16(tail->data() + kTailMinorAt);
  attr.guid = GuidFromBytes(tail->subspan(kTailGuidAt).first<kGuidSize>());
  pos += kTailSize + kAfterLibraryBlock;

  for (std::uint32_t i = 0; i + 2u < blockCount; ++i) {
    auto record = ReadTypeRecord(bytes, pos);
    if (!record) return record.error();
    layout.records.push_back(std::move(*record));
  }
  pos += kBeforeNameTableOffset;
  const auto distance = bytes.U32(pos, "SLTG name-table distance");
  if (!distance) return distance.error();
  std::uint64_t nameTable = lib + *distance;
  const auto marker = bytes.U16(nameTable, "SLTG name table");
  if (!marker) return marker.error();
  if (*marker == kNameTableMarker) nameTable += kNameTableExtra;
  layout.nameTable = nameTable + kNameTableHeader;
  auto name = ReadName(bytes, layout.nameTable, *nameOffset, "SLTG library name");
  if (!name) return name.error();
  attr.name = std::move(*name);
  return layout;
}

}  // namespace sltg

Expected<TypeLibAttributes> ReadSltgTypeLib(std::span<const std::uint8_t> data) {
  auto layout = sltg::ReadLayout(data);
  if (!layout) return layout.error();
  return std::move(layout->attributes);
}

}  // namespace korvane::formats
