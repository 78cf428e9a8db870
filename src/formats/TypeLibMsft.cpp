// MSFT type libraries: the 0x54-byte header, the segment directory, and the
// GUID, name and string tables that the library attributes point into.

#include <array>
#include <optional>

#include "formats/TextCodec.h"
#include "formats/TypeLib.h"
#include "formats/TypeLibBytes.h"

namespace korvane::formats {

namespace {

// The header: 32-bit fields at these offsets.
constexpr std::uint64_t kHeaderSize = 0x54;
constexpr std::size_t kMagicAt = 0x00;
constexpr std::size_t kFormatVersionAt = 0x04;
constexpr std::size_t kPosGuidAt = 0x08;
constexpr std::size_t kLcid2At = 0x10;
constexpr std::size_t kVarFlagsAt = 0x14;
constexpr std::size_t kVersionAt = 0x18;
constexpr std::size_t kLibFlagsAt = 0x1C;
constexpr std::size_t kTypeInfoCountAt = 0x20;
constexpr std::size_t kHelpStringAt = 0x24;
constexpr std::size_t kNameAt = 0x38;
constexpr std::size_t kHelpFileAt = 0x3C;
constexpr std::uint32_t kMagic = 0x5446534D;  // "MSFT"
constexpr std::uint32_t kFormatVersion = 0x00010002;
constexpr std::int32_t kAbsent = -1;

constexpr std::uint32_t kSysKindMask = 0x0F;
constexpr std::uint32_t kFlagHelpFile = 0x10;
constexpr std::uint32_t kFlagHelpStringDll = 0x100;
constexpr std::uint64_t kTypeInfoOffsetSize = 4;
constexpr std::uint64_t kHelpStringDllSize = 4;

// The segment directory: entries of {offset, length, -1, 0x0F}.
constexpr int kSegmentCount = 15;
constexpr std::uint64_t kSegmentEntrySize = 16;
constexpr std::size_t kSegOffsetAt = 0;
constexpr std::size_t kSegLengthAt = 4;
constexpr std::size_t kSegMarkerAt = 8;
constexpr std::size_t kSegKindAt = 12;
constexpr std::int32_t kSegMarker = -1;
constexpr std::uint32_t kSegKind = 0x0F;
// Segment directory indexes used here.
constexpr int kSegGuidTable = 5;
constexpr int kSegNameTable = 7;
constexpr int kSegStringTable = 8;

// A name entry: hreftype, next in bucket, a word whose low byte is the
// length, then the characters. A string entry: a 16-bit length, then the bytes.
constexpr std::uint64_t kNameEntryHeader = 12;
constexpr std::size_t kNameLengthAt = 8;
constexpr std::uint64_t kStringLengthSize = 2;
constexpr std::uint64_t kGuidSize = 16;

struct Segment {
  std::int32_t offset = kAbsent;
  std::int32_t length = 0;
};

using Directory = std::array<Segment, kSegmentCount>;

std::int32_t I32At(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::int32_t>(LoadU32(bytes.data() + at));
}

// Reads the directory at pos when every entry carries the fixed markers
// (-1, 0x0F) and every present segment lies inside the data.
std::optional<Directory> TryDirectory(const TypeLibBytes& bytes, std::uint64_t pos) {
  const auto table = bytes.Bytes(pos, kSegmentCount * kSegmentEntrySize, "MSFT segment directory");
  if (!table) return std::nullopt;
  Directory dir;
  for (int i = 0; i < kSegmentCount; ++i) {
    const auto entry = table->subspan(static_cast<std::size_t>(i) * kSegmentEntrySize, kSegmentEntrySize);
    const Segment seg{I32At(entry, kSegOffsetAt), I32At(entry, kSegLengthAt)};
    if (I32At(entry, kSegMarkerAt) != kSegMarker || LoadU32(entry.data() + kSegKindAt) != kSegKind) {
      return std::nullopt;
    }
    // A negative offset or length other than "absent" turns into a huge
    // unsigned value here, which no data contains.
    if (seg.offset != kAbsent &&
        !bytes.Contains(static_cast<std::uint64_t>(seg.offset), static_cast<std::uint64_t>(seg.length))) {
      return std::nullopt;
    }
    dir[static_cast<std::size_t>(i)] = seg;
  }
  return dir;
}

Expected<Directory> FindDirectory(const TypeLibBytes& bytes, std::uint32_t varFlags, std::uint32_t typeInfoCount) {
  const std::uint64_t base = kHeaderSize + kTypeInfoOffsetSize * typeInfoCount;
  // The extra help-string-DLL word is present only when its flag says so; a
  // few writers disagree, so the other position is tried as well.
  const bool extra = (varFlags & kFlagHelpStringDll) != 0;
  const std::uint64_t first = extra ? base + kHelpStringDllSize : base;
  const std::uint64_t second = extra ? base : base + kHelpStringDllSize;
  if (auto dir = TryDirectory(bytes, first)) return *dir;
  if (auto dir = TryDirectory(bytes, second)) return *dir;
  return MakeError(ErrorKind::kBadTypeLib, "MSFT segment directory not found or damaged");
}

// The bytes [offset, offset + length) of a segment. A negative offset (read
// from the data as a signed field) turns into a huge one that fails the bound.
Expected<std::span<const std::uint8_t>> InSegment(const TypeLibBytes& bytes, const Segment& seg, std::int64_t offset,
                                                  std::uint64_t length, const char* what) {
  const auto at = static_cast<std::uint64_t>(offset);
  const auto size = static_cast<std::uint64_t>(seg.length);
  if (seg.offset == kAbsent || at > size || length > size - at) {
    return MakeError(ErrorKind::kBadTypeLib, std::string("MSFT ") + what + " lies outside its table");
  }
  return bytes.Bytes(static_cast<std::uint64_t>(seg.offset) + at, length, what);
}

Expected<std::string> ReadName(const TypeLibBytes& bytes, const Segment& names, std::int32_t offset) {
  const auto entry = InSegment(bytes, names, offset, kNameEntryHeader, "name entry");
  if (!entry) return entry.error();
  const std::uint8_t length = (*entry)[kNameLengthAt];
  const auto chars = InSegment(bytes, names, std::int64_t{offset} + std::int64_t{kNameEntryHeader}, length, "name");
  if (!chars) return chars.error();
  return Windows1252ToUtf8(*chars);
}

Expected<std::string> ReadString(const TypeLibBytes& bytes, const Segment& strings, std::int32_t offset) {
  const auto entry = InSegment(bytes, strings, offset, kStringLengthSize, "string entry");
  if (!entry) return entry.error();
  const std::uint16_t length = LoadU16(entry->data());
  const auto chars =
      InSegment(bytes, strings, std::int64_t{offset} + std::int64_t{kStringLengthSize}, length, "string");
  if (!chars) return chars.error();
  return Windows1252ToUtf8(*chars);
}

}  // namespace

Expected<TypeLibAttributes> ReadMsftTypeLib(std::span<const std::uint8_t> data) {
  const TypeLibBytes bytes(data);
  const auto header = bytes.Bytes(0, kHeaderSize, "MSFT header");
  if (!header) return header.error();
  const auto field = [&header](std::size_t at) { return LoadU32(header->data() + at); };
  if (field(kMagicAt) != kMagic) return MakeError(ErrorKind::kNotTypeLib, "not MSFT data");
  if (field(kFormatVersionAt) != kFormatVersion) {
    return MakeError(ErrorKind::kBadTypeLib, "unknown MSFT format version");
  }

  const std::int32_t posGuid = I32At(*header, kPosGuidAt);
  const std::uint32_t varFlags = field(kVarFlagsAt);
  const std::uint32_t version = field(kVersionAt);
  const std::uint32_t typeInfoCount = field(kTypeInfoCountAt);
  const std::int32_t helpString = I32At(*header, kHelpStringAt);
  const std::int32_t nameOffset = I32At(*header, kNameAt);
  const std::int32_t helpFile = I32At(*header, kHelpFileAt);

  // A negative count, read unsigned, is out of range as well.
  if (typeInfoCount > (data.size() - kHeaderSize) / kTypeInfoOffsetSize) {
    return MakeError(ErrorKind::kBadTypeLib, "MSFT type-info count is out of range");
  }
  const auto dir = FindDirectory(bytes, varFlags, typeInfoCount);
  if (!dir) return dir.error();

  TypeLibAttributes attr;
  attr.format = TypeLibFormat::Msft;
  attr.lcid = field(kLcid2At);
  attr.sysKind = static_cast<int>(varFlags & kSysKindMask);
  attr.majorVersion = static_cast<std::uint16_t>(version & 0xFFFF);
  attr.minorVersion = static_cast<std::uint16_t>(version >> 16);
  attr.libFlags = static_cast<std::uint16_t>(field(kLibFlagsAt));

  if (posGuid != kAbsent) {
    const auto guid = InSegment(bytes, (*dir)[kSegGuidTable], posGuid, kGuidSize, "library GUID");
    if (!guid) return guid.error();
    attr.guid = GuidFromBytes(guid->first<kGuidSize>());
  }
  if (nameOffset == kAbsent) return MakeError(ErrorKind::kBadTypeLib, "MSFT library has no name");
  auto name = ReadName(bytes, (*dir)[kSegNameTable], nameOffset);
  if (!name) return name.error();
  attr.name = std::move(*name);
  if (helpString != kAbsent) {
    auto text = ReadString(bytes, (*dir)[kSegStringTable], helpString);
    if (!text) return text.error();
    attr.helpString = std::move(*text);
  }
  if (helpFile != kAbsent && (varFlags & kFlagHelpFile) != 0) {
    auto text = ReadString(bytes, (*dir)[kSegStringTable], helpFile);
    if (!text) return text.error();
    attr.helpFile = std::move(*text);
  }
  return attr;
}

}  // namespace korvane::formats
