#include "formats/MsftFile.h"

#include "formats/TextCodec.h"

namespace korvane::formats::msft {

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
constexpr std::size_t kHelpStringContextAt = 0x28;
constexpr std::size_t kHelpContextAt = 0x2C;
constexpr std::size_t kNameAt = 0x38;
constexpr std::size_t kHelpFileAt = 0x3C;
constexpr std::size_t kCustomDataAt = 0x40;
constexpr std::size_t kDispatchRefAt = 0x4C;
constexpr std::uint32_t kMagic = 0x5446534D;  // "MSFT"
constexpr std::uint32_t kFormatVersion = 0x00010002;

constexpr std::uint32_t kSysKindMask = 0x0F;
constexpr std::uint32_t kFlagHelpFile = 0x10;
constexpr std::uint32_t kFlagHelpStringDll = 0x100;
constexpr std::uint64_t kTypeInfoOffsetSize = 4;
constexpr std::uint64_t kHelpStringDllSize = 4;

// The segment directory: entries of {offset, length, -1, 0x0F}.
constexpr std::uint64_t kSegmentEntrySize = 16;
constexpr std::size_t kSegOffsetAt = 0;
constexpr std::size_t kSegLengthAt = 4;
constexpr std::size_t kSegMarkerAt = 8;
constexpr std::size_t kSegKindAt = 12;
constexpr std::int32_t kSegMarker = -1;
constexpr std::uint32_t kSegKind = 0x0F;

// A name entry: hreftype, next in bucket, a word whose low byte is the
// length, then the characters. A string entry: a 16-bit length, then the bytes.
constexpr std::uint64_t kNameEntryHeader = 12;
constexpr std::size_t kNameLengthAt = 8;
constexpr std::uint64_t kStringLengthSize = 2;
constexpr std::uint64_t kGuidSize = 16;

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

Expected<Directory> FindDirectory(const TypeLibBytes& bytes, std::uint32_t varFlags, std::uint32_t typeInfoCount,
                                  bool& extraWord) {
  const std::uint64_t base = kHeaderSize + kTypeInfoOffsetSize * typeInfoCount;
  // The extra help-string-DLL word is present only when its flag says so; a
  // few writers disagree, so the other position is tried as well.
  const bool extra = (varFlags & kFlagHelpStringDll) != 0;
  const std::uint64_t first = extra ? base + kHelpStringDllSize : base;
  const std::uint64_t second = extra ? base : base + kHelpStringDllSize;
  extraWord = extra;
  if (auto dir = TryDirectory(bytes, first)) return *dir;
  extraWord = !extra;
  if (auto dir = TryDirectory(bytes, second)) return *dir;
  return MakeError(ErrorKind::kBadTypeLib, "MSFT segment directory not found or damaged");
}

}  // namespace

std::string HexText(std::uint64_t value) {
  static const char digits[] = "0123456789ABCDEF";
  std::string s;
  do {
    s.insert(s.begin(), digits[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  return "0x" + s;
}

Expected<MsftFile> MsftFile::Open(std::span<const std::uint8_t> data) {
  MsftFile file(data);
  const auto header = file.bytes_.Bytes(0, kHeaderSize, "MSFT header");
  if (!header) return header.error();
  const auto field = [&header](std::size_t at) { return LoadU32(header->data() + at); };
  const auto signedField = [&header](std::size_t at) { return I32At(*header, at); };
  if (field(kMagicAt) != kMagic) return MakeError(ErrorKind::kNotTypeLib, "not MSFT data");
  if (field(kFormatVersionAt) != kFormatVersion) {
    return MakeError(ErrorKind::kBadTypeLib, "unknown MSFT format version");
  }

  Header& h = file.header_;
  h.posGuid = signedField(kPosGuidAt);
  h.lcid2 = field(kLcid2At);
  h.varFlags = field(kVarFlagsAt);
  h.version = field(kVersionAt);
  h.libFlags = field(kLibFlagsAt);
  h.typeInfoCount = field(kTypeInfoCountAt);
  h.helpString = signedField(kHelpStringAt);
  h.helpStringContext = field(kHelpStringContextAt);
  h.helpContext = field(kHelpContextAt);
  h.name = signedField(kNameAt);
  h.helpFile = signedField(kHelpFileAt);
  h.hasHelpFile = (h.varFlags & kFlagHelpFile) != 0;
  h.customData = signedField(kCustomDataAt);
  h.dispatchRef = signedField(kDispatchRefAt);

  // A negative count, read unsigned, is out of range as well.
  if (h.typeInfoCount > (data.size() - kHeaderSize) / kTypeInfoOffsetSize) {
    return MakeError(ErrorKind::kBadTypeLib, "MSFT type-info count is out of range");
  }
  bool extraWord = false;
  auto dir = FindDirectory(file.bytes_, h.varFlags, h.typeInfoCount, extraWord);
  if (!dir) return dir.error();
  file.dir_ = *dir;
  if (extraWord) {
    const auto dll = file.bytes_.U32(kHeaderSize, "MSFT help-string DLL");
    if (!dll) return dll.error();
    h.helpStringDll = static_cast<std::int32_t>(*dll);
  }
  return file;
}

Expected<std::span<const std::uint8_t>> MsftFile::In(Seg seg, std::int64_t offset, std::uint64_t length,
                                                     const char* what) const {
  const Segment& s = segment(seg);
  const auto at = static_cast<std::uint64_t>(offset);
  const auto size = static_cast<std::uint64_t>(s.length);
  if (s.offset == kAbsent || offset < 0 || at > size || length > size - at) {
    return MakeError(ErrorKind::kBadTypeLib,
                     std::string("MSFT ") + what + " lies outside its table (at " + HexText(at) + ")");
  }
  return bytes_.Bytes(static_cast<std::uint64_t>(s.offset) + at, length, what);
}

Expected<std::int32_t> MsftFile::I32In(Seg seg, std::int64_t offset, const char* what) const {
  const auto b = In(seg, offset, 4, what);
  if (!b) return b.error();
  return I32At(*b, 0);
}

Expected<std::string> MsftFile::Name(std::int32_t offset) const {
  const auto entry = In(Seg::kNameTable, offset, kNameEntryHeader, "name entry");
  if (!entry) return entry.error();
  const std::uint8_t length = (*entry)[kNameLengthAt];
  const auto chars = In(Seg::kNameTable, std::int64_t{offset} + std::int64_t{kNameEntryHeader}, length, "name");
  if (!chars) return chars.error();
  return Windows1252ToUtf8(*chars);
}

Expected<std::string> MsftFile::String(std::int32_t offset) const {
  const auto entry = In(Seg::kStringTable, offset, kStringLengthSize, "string entry");
  if (!entry) return entry.error();
  const std::uint16_t length = LoadU16(entry->data());
  const auto chars =
      In(Seg::kStringTable, std::int64_t{offset} + std::int64_t{kStringLengthSize}, length, "string");
  if (!chars) return chars.error();
  return Windows1252ToUtf8(*chars);
}

Expected<Guid> MsftFile::GuidAt(std::int32_t offset) const {
  const auto guid = In(Seg::kGuidTable, offset, kGuidSize, "GUID entry");
  if (!guid) return guid.error();
  return GuidFromBytes(guid->first<kGuidSize>());
}

Expected<std::string> MsftFile::OptionalName(std::int32_t offset) const {
  if (offset == kAbsent) return std::string();
  return Name(offset);
}

Expected<std::string> MsftFile::OptionalString(std::int32_t offset) const {
  if (offset == kAbsent) return std::string();
  return String(offset);
}

Expected<Guid> MsftFile::OptionalGuid(std::int32_t offset) const {
  if (offset == kAbsent) return Guid{};
  return GuidAt(offset);
}

Expected<TypeLibAttributes> MsftFile::Attributes() const {
  const Header& h = header_;
  TypeLibAttributes attr;
  attr.format = TypeLibFormat::Msft;
  attr.lcid = h.lcid2;
  attr.sysKind = static_cast<int>(h.varFlags & kSysKindMask);
  attr.majorVersion = static_cast<std::uint16_t>(h.version & 0xFFFF);
  attr.minorVersion = static_cast<std::uint16_t>(h.version >> 16);
  attr.libFlags = static_cast<std::uint16_t>(h.libFlags);

  if (h.posGuid != kAbsent) {
    const auto guid = In(Seg::kGuidTable, h.posGuid, kGuidSize, "library GUID");
    if (!guid) return guid.error();
    attr.guid = GuidFromBytes(guid->first<kGuidSize>());
  }
  if (h.name == kAbsent) return MakeError(ErrorKind::kBadTypeLib, "MSFT library has no name");
  auto name = Name(h.name);
  if (!name) return name.error();
  attr.name = std::move(*name);
  auto help = OptionalString(h.helpString);
  if (!help) return help.error();
  attr.helpString = std::move(*help);
  if (h.helpFile != kAbsent && h.hasHelpFile) {
    auto text = String(h.helpFile);
    if (!text) return text.error();
    attr.helpFile = std::move(*text);
  }
  return attr;
}

}  // namespace korvane::formats::msft
