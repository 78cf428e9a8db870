// MSFT type libraries: the 0x54-byte header, the segment directory, and the
// GUID, name and string tables that the library attributes point into.

#include <optional>

#include "formats/TextCodec.h"
#include "formats/TypeLib.h"
#include "formats/TypeLibBytes.h"

namespace korvane::formats {

namespace {

constexpr std::uint64_t kHeaderSize = 0x54;
constexpr int kSegmentCount = 15;
constexpr std::uint64_t kSegmentEntrySize = 16;
constexpr std::uint32_t kFormatVersion = 0x00010002;

constexpr std::uint32_t kFlagHelpFile = 0x10;
constexpr std::uint32_t kFlagHelpStringDll = 0x100;

// Segment directory indexes used here.
constexpr int kSegGuidTable = 5;
constexpr int kSegNameTable = 7;
constexpr int kSegStringTable = 8;

struct Segment {
  std::int32_t offset = -1;
  std::int32_t length = 0;
};

using Directory = std::array<Segment, kSegmentCount>;

// Reads the directory at pos when every entry carries the fixed markers
// (-1, 0x0F) and every present segment lies inside the data.
std::optional<Directory> TryDirectory(const TypeLibBytes& bytes, std::uint64_t pos) {
  if (!bytes.Contains(pos, kSegmentCount * kSegmentEntrySize)) return std::nullopt;
  Directory dir;
  for (int i = 0; i < kSegmentCount; ++i) {
    const std::uint64_t entry = pos + static_cast<std::uint64_t>(i) * kSegmentEntrySize;
    Segment seg{bytes.I32(entry), bytes.I32(entry + 4)};
    if (bytes.I32(entry + 8) != -1 || bytes.U32(entry + 12) != 0x0F) return std::nullopt;
    if (seg.offset != -1) {
      if (seg.offset < 0 || seg.length < 0 ||
          !bytes.Contains(static_cast<std::uint64_t>(seg.offset), static_cast<std::uint64_t>(seg.length))) {
        return std::nullopt;
      }
    }
    dir[static_cast<std::size_t>(i)] = seg;
  }
  return dir;
}

Directory FindDirectory(const TypeLibBytes& bytes, std::uint32_t varFlags, std::uint32_t typeInfoCount) {
  const std::uint64_t base = kHeaderSize + 4ull * typeInfoCount;
  // The extra help-string-DLL word is present only when its flag says so; a
  // few writers disagree, so the other position is tried as well.
  const bool extra = (varFlags & kFlagHelpStringDll) != 0;
  const std::uint64_t first = extra ? base + 4 : base;
  const std::uint64_t second = extra ? base : base + 4;
  if (auto dir = TryDirectory(bytes, first)) return *dir;
  if (auto dir = TryDirectory(bytes, second)) return *dir;
  throw TypeLibError("MSFT segment directory not found or damaged");
}

// The absolute position of [offset, offset + length) inside a segment.
std::uint64_t InSegment(const Segment& seg, std::int64_t offset, std::uint64_t length, const char* what) {
  if (seg.offset < 0 || offset < 0 ||
      static_cast<std::uint64_t>(offset) > static_cast<std::uint64_t>(seg.length) ||
      length > static_cast<std::uint64_t>(seg.length) - static_cast<std::uint64_t>(offset)) {
    throw TypeLibError(std::string("MSFT ") + what + " lies outside its table");
  }
  return static_cast<std::uint64_t>(seg.offset) + static_cast<std::uint64_t>(offset);
}

std::string ReadName(const TypeLibBytes& bytes, const Segment& names, std::int32_t offset) {
  // hreftype, next in bucket, then a word whose low byte is the length.
  const std::uint64_t entry = InSegment(names, offset, 12, "name entry");
  const std::uint32_t length = bytes.U8(entry + 8);
  const std::uint64_t chars = InSegment(names, static_cast<std::int64_t>(offset) + 12, length, "name");
  return Windows1252ToUtf8(bytes.Bytes(chars, length));
}

std::string ReadString(const TypeLibBytes& bytes, const Segment& strings, std::int32_t offset) {
  const std::uint64_t entry = InSegment(strings, offset, 2, "string entry");
  const std::uint32_t length = bytes.U16(entry);
  const std::uint64_t chars = InSegment(strings, static_cast<std::int64_t>(offset) + 2, length, "string");
  return Windows1252ToUtf8(bytes.Bytes(chars, length));
}

}  // namespace

TypeLibAttributes ReadMsftTypeLib(std::span<const std::uint8_t> data) {
  const TypeLibBytes bytes(data);
  if (!bytes.Contains(0, kHeaderSize)) throw TypeLibError("MSFT header is truncated");
  if (bytes.U32(0) != 0x5446534D) throw TypeLibError("not MSFT data");
  if (bytes.U32(4) != kFormatVersion) throw TypeLibError("unknown MSFT format version");

  const std::int32_t posGuid = bytes.I32(0x08);
  const std::uint32_t lcid2 = bytes.U32(0x10);
  const std::uint32_t varFlags = bytes.U32(0x14);
  const std::uint32_t version = bytes.U32(0x18);
  const std::uint32_t libFlags = bytes.U32(0x1C);
  const std::int32_t typeInfoCount = bytes.I32(0x20);
  const std::int32_t helpString = bytes.I32(0x24);
  const std::int32_t nameOffset = bytes.I32(0x38);
  const std::int32_t helpFile = bytes.I32(0x3C);

  if (typeInfoCount < 0 || static_cast<std::uint64_t>(typeInfoCount) > (data.size() - kHeaderSize) / 4) {
    throw TypeLibError("MSFT type-info count is out of range");
  }
  const Directory dir = FindDirectory(bytes, varFlags, static_cast<std::uint32_t>(typeInfoCount));

  TypeLibAttributes attr;
  attr.format = TypeLibFormat::Msft;
  attr.lcid = lcid2;
  attr.sysKind = static_cast<int>(varFlags & 0x0F);
  attr.majorVersion = static_cast<std::uint16_t>(version & 0xFFFF);
  attr.minorVersion = static_cast<std::uint16_t>(version >> 16);
  attr.libFlags = static_cast<std::uint16_t>(libFlags);

  if (posGuid != -1) {
    const std::uint64_t at = InSegment(dir[kSegGuidTable], posGuid, 16, "library GUID");
    attr.guid = GuidFromBytes(bytes.Bytes(at, 16).first<16>());
  }
  if (nameOffset == -1) throw TypeLibError("MSFT library has no name");
  attr.name = ReadName(bytes, dir[kSegNameTable], nameOffset);
  if (helpString != -1) attr.helpString = ReadString(bytes, dir[kSegStringTable], helpString);
  if (helpFile != -1 && (varFlags & kFlagHelpFile) != 0) {
    attr.helpFile = ReadString(bytes, dir[kSegStringTable], helpFile);
  }
  return attr;
}

}  // namespace korvane::formats
