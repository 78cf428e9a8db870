#include "formats/PeImage.h"

#include <algorithm>
#include <unordered_set>

#include "formats/LittleEndian.h"
#include "formats/TextCodec.h"

namespace korvane::formats {

namespace {

// The DOS header: its magic and where it keeps the offset of the PE headers.
constexpr std::uint64_t kDosMagicAt = 0x00;
constexpr std::uint16_t kDosMagic = 0x5A4D;  // "MZ"
constexpr std::uint64_t kPeOffsetAt = 0x3C;

// The PE signature, followed by the COFF file header.
constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr std::uint64_t kPeSignatureSize = 4;
constexpr std::size_t kCoffHeaderSize = 20;
constexpr std::size_t kCoffMachineAt = 0;
constexpr std::size_t kCoffSectionCountAt = 2;
constexpr std::size_t kCoffOptionalSizeAt = 16;
constexpr std::size_t kCoffCharacteristicsAt = 18;

// The optional header: its magic tells PE32 from PE32+, which differ in the
// width of the image base and in where the data directories lie.
constexpr std::uint64_t kOptionalMagicAt = 0;
constexpr std::uint16_t kOptionalMagicSize = 2;
constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
struct OptionalLayout {
  std::uint32_t imageBaseAt;
  std::uint32_t imageBaseSize;
  std::uint32_t directoryCountAt;
  std::uint32_t directoriesAt;
};
constexpr OptionalLayout kPe32Layout{28, 4, 92, 96};
constexpr OptionalLayout kPe32PlusLayout{24, 8, 108, 112};
// Fields at the same place in both.
constexpr std::uint32_t kSizeOfHeadersAt = 60;
constexpr std::uint32_t kSubsystemAt = 68;
constexpr std::uint32_t kWindowsFieldsEnd = kSubsystemAt + 2;
constexpr std::uint32_t kDirectoryCountSize = 4;
constexpr std::uint32_t kDataDirectorySize = 8;  // RVA, size
constexpr std::uint32_t kDataDirectorySizeAt = 4;

// One section header.
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::size_t kSectionVirtualSizeAt = 8;
constexpr std::size_t kSectionVirtualAddressAt = 12;
constexpr std::size_t kSectionRawSizeAt = 16;
constexpr std::size_t kSectionRawOffsetAt = 20;

// The resource directory: tables of entries, names, and data entries, at
// offsets from the start of the directory.
constexpr std::size_t kTableHeaderSize = 16;
constexpr std::size_t kTableNamedCountAt = 12;
constexpr std::size_t kTableIdCountAt = 14;
constexpr std::size_t kTableEntrySize = 8;
constexpr std::size_t kEntryIdAt = 0;
constexpr std::size_t kEntryTargetAt = 4;
constexpr std::size_t kNameLengthSize = 2;  // a count of UTF-16 units, then the units
constexpr std::size_t kDataEntryReadSize = 12;  // RVA, size, code page (the reserved word is not read)
constexpr std::size_t kDataRvaAt = 0;
constexpr std::size_t kDataSizeAt = 4;
constexpr std::size_t kDataCodePageAt = 8;
constexpr std::uint32_t kHighBit = 0x80000000u;  // a name (in an id) or a subtable (in a target)
constexpr int kResourceLevels = 3;  // type, name, language

// Limits no real image comes near; they bound time and memory on hostile input.
constexpr std::uint32_t kMaxSections = 1024;
constexpr std::size_t kMaxDirectoryEntries = 1u << 16;

}  // namespace

struct PeImage::State {
  std::shared_ptr<const ByteSource> source;
  PeHeaders headers;
  // The resource directory: its file offset and the end of the bytes that
  // back its section in the file.
  bool hasResources = false;
  std::uint64_t rsrcBase = 0;
  std::uint64_t rsrcEnd = 0;

  Expected<void> ParseHeaders();
  Expected<void> ParseOptionalHeader(std::uint64_t optional);
  void LocateResources(std::uint32_t rva);
  std::optional<std::uint64_t> MapRva(std::uint32_t rva, std::uint64_t length) const;
};

ResourceId ResourceId::Number(std::uint16_t value) {
  ResourceId r;
  r.id = value;
  return r;
}

ResourceId ResourceId::Named(std::string_view value) {
  ResourceId r;
  r.isName = true;
  r.name = std::string(value);
  return r;
}

bool ResourceId::Matches(const ResourceId& other) const {
  if (isName != other.isName) return false;
  if (!isName) return id == other.id;
  return EqualsIgnoringAsciiCase(name, other.name);
}

std::string ResourceId::ToString() const { return isName ? name : "#" + std::to_string(id); }

PeImage::PeImage(std::unique_ptr<State> state) : state_(std::move(state)) {}
PeImage::~PeImage() = default;
PeImage::PeImage(PeImage&&) noexcept = default;
PeImage& PeImage::operator=(PeImage&&) noexcept = default;

Expected<PeImage> PeImage::Open(std::shared_ptr<const ByteSource> source) {
  auto state = std::make_unique<State>();
  state->source = std::move(source);
  if (auto parsed = state->ParseHeaders(); !parsed) return parsed.error();
  return PeImage(std::move(state));
}

Expected<PeImage> PeImage::FromBytes(std::span<const std::uint8_t> bytes) {
  return Open(std::make_shared<MemorySource>(std::vector<std::uint8_t>(bytes.begin(), bytes.end())));
}

bool PeImage::Is64Bit() const { return state_->headers.is64; }
const PeHeaders& PeImage::Headers() const { return state_->headers; }
const ByteSource& PeImage::Source() const { return *state_->source; }
std::optional<std::uint64_t> PeImage::MapRva(std::uint32_t rva, std::uint64_t length) const {
  return state_->MapRva(rva, length);
}

namespace {

// The file offset of the COFF file header, behind the DOS header and the PE signature.
Expected<std::uint64_t> LocateFileHeader(const ByteSource& s) {
  const auto mz = s.U16(kDosMagicAt);
  const auto peOffset = s.U32(kPeOffsetAt);
  if (!mz || *mz != kDosMagic || !peOffset) return MakeError(ErrorKind::kNotPe, "no DOS header");
  const auto signature = s.U32(*peOffset);
  if (!signature || *signature != kPeSignature) return MakeError(ErrorKind::kNotPe, "no PE signature");
  return std::uint64_t{*peOffset} + kPeSignatureSize;
}

}  // namespace

Expected<std::uint16_t> PeMachine(const ByteSource& source) {
  const auto coffAt = LocateFileHeader(source);
  if (!coffAt) return coffAt.error();
  const auto machine = source.U16(*coffAt + kCoffMachineAt);
  if (!machine) return MakeError(ErrorKind::kBadHeaders, "the file header is truncated");
  return *machine;
}

Expected<void> PeImage::State::ParseHeaders() {
  const ByteSource& s = *source;
  const auto located = LocateFileHeader(s);
  if (!located) return located.error();
  const std::uint64_t coffAt = *located;
  std::uint8_t coff[kCoffHeaderSize];
  if (!s.Read(coffAt, coff)) return MakeError(ErrorKind::kBadHeaders, "the file header is truncated");
  headers.machine = LoadU16(coff + kCoffMachineAt);
  const std::uint16_t sectionCount = LoadU16(coff + kCoffSectionCountAt);
  headers.optionalSize = LoadU16(coff + kCoffOptionalSizeAt);
  headers.characteristics = LoadU16(coff + kCoffCharacteristicsAt);
  if (sectionCount > kMaxSections) return MakeError(ErrorKind::kBadHeaders, "too many sections");

  const std::uint64_t optional = coffAt + kCoffHeaderSize;
  if (auto parsed = ParseOptionalHeader(optional); !parsed) return parsed;

  // The section table follows the optional header whatever size that declares.
  const std::uint64_t table = optional + headers.optionalSize;
  headers.sections.reserve(sectionCount);
  for (std::uint32_t i = 0; i < sectionCount; ++i) {
    std::uint8_t header[kSectionHeaderSize];
    if (!s.Read(table + std::uint64_t{i} * kSectionHeaderSize, header)) {
      return MakeError(ErrorKind::kBadHeaders, "the section table is truncated");
    }
    PeSection sec;
    sec.virtualSize = LoadU32(header + kSectionVirtualSizeAt);
    sec.virtualAddress = LoadU32(header + kSectionVirtualAddressAt);
    sec.rawSize = LoadU32(header + kSectionRawSizeAt);
    sec.rawOffset = LoadU32(header + kSectionRawOffsetAt);
    headers.sections.push_back(sec);
  }

  const PeDataDirectory& rsrc = headers.directories[kPeDirectoryResource];
  if (rsrc.rva != 0 && rsrc.size != 0) LocateResources(rsrc.rva);
  return {};
}

Expected<void> PeImage::State::ParseOptionalHeader(std::uint64_t optional) {
  const ByteSource& s = *source;
  const std::uint16_t optionalSize = headers.optionalSize;
  if (optionalSize < kOptionalMagicSize) return MakeError(ErrorKind::kBadHeaders, "no optional header");
  const auto magic = s.U16(optional + kOptionalMagicAt);
  if (!magic) return MakeError(ErrorKind::kBadHeaders, "the optional header is truncated");
  if (*magic != kPe32Magic && *magic != kPe32PlusMagic) {
    return MakeError(ErrorKind::kBadHeaders, "unknown optional header magic");
  }
  headers.is64 = *magic == kPe32PlusMagic;
  const OptionalLayout& layout = headers.is64 ? kPe32PlusLayout : kPe32Layout;

  // The Windows fields only matter to the import and export readers, which
  // refuse an image without them; the resource reader does not need them.
  if (optionalSize >= kWindowsFieldsEnd) {
    std::uint8_t base[8] = {};
    const auto sizeOfHeaders = s.U32(optional + kSizeOfHeadersAt);
    const auto subsystem = s.U16(optional + kSubsystemAt);
    if (s.Read(optional + layout.imageBaseAt, std::span(base, layout.imageBaseSize)) && sizeOfHeaders && subsystem) {
      headers.hasWindowsFields = true;
      headers.imageBase = layout.imageBaseSize == 8 ? LoadU64(base) : LoadU32(base);
      headers.sizeOfHeaders = *sizeOfHeaders;
      headers.subsystem = *subsystem;
    }
  }

  // The data directories the header counts and has room for.
  if (optionalSize < layout.directoryCountAt + kDirectoryCountSize) return {};
  const auto declared = s.U32(optional + layout.directoryCountAt);
  if (!declared) return MakeError(ErrorKind::kBadHeaders, "the data directories are truncated");
  for (std::size_t i = 0; i < kPeDirectorySlots && i < *declared; ++i) {
    const std::uint64_t entry = layout.directoriesAt + i * kDataDirectorySize;
    if (entry + kDataDirectorySize > optionalSize) break;
    const auto rva = s.U32(optional + entry);
    const auto size = s.U32(optional + entry + kDataDirectorySizeAt);
    if (!rva || !size) return MakeError(ErrorKind::kBadHeaders, "the data directories are truncated");
    headers.directories[i] = {*rva, *size};
  }
  return {};
}

// Directory offsets are relative to the directory's start; every one must
// stay inside the file bytes of the section that holds the directory.
void PeImage::State::LocateResources(std::uint32_t rva) {
  for (const PeSection& sec : headers.sections) {
    const std::uint32_t span = std::max(sec.virtualSize, sec.rawSize);
    if (rva < sec.virtualAddress || rva - sec.virtualAddress >= span) continue;
    // A directory beyond the section's file bytes (or the file's end) leaves
    // nothing to read.
    rsrcBase = std::uint64_t{sec.rawOffset} + (rva - sec.virtualAddress);
    rsrcEnd = std::min<std::uint64_t>(std::uint64_t{sec.rawOffset} + sec.rawSize, source->Size());
    hasResources = rsrcBase < rsrcEnd;
    return;
  }
}

std::optional<std::uint64_t> PeImage::State::MapRva(std::uint32_t rva, std::uint64_t length) const {
  for (const PeSection& sec : headers.sections) {
    const std::uint32_t span = std::max(sec.virtualSize, sec.rawSize);
    if (rva < sec.virtualAddress || rva - sec.virtualAddress >= span) continue;
    const std::uint64_t delta = rva - sec.virtualAddress;
    if (delta + length > sec.rawSize) return std::nullopt;
    const std::uint64_t offset = sec.rawOffset + delta;
    if (offset + length > source->Size()) return std::nullopt;
    return offset;
  }
  return std::nullopt;
}

namespace {

// One walk of the resource tree, optionally limited to one type.
class DirectoryWalk {
 public:
  DirectoryWalk(const PeImage::State& state, const ResourceId* onlyType) : state_(state), onlyType_(onlyType) {}

  ResourceListing Run() {
    ResourceEntry path;
    Table(0, 0, path);
    return std::move(listing_);
  }

 private:
  void Fault(ErrorKind kind, const std::string& detail) {
    if (!listing_.damage) listing_.damage = MakeError(kind, detail);
  }

  // Bytes at an offset from the directory's start, all inside its section.
  bool Read(std::uint64_t offset, std::span<std::uint8_t> out) const {
    const std::uint64_t length = state_.rsrcEnd - state_.rsrcBase;
    return offset <= length && out.size() <= length - offset && state_.source->Read(state_.rsrcBase + offset, out);
  }

  std::optional<ResourceId> ReadName(std::uint32_t offset) const {
    std::uint8_t count[kNameLengthSize];
    if (!Read(offset, count)) return std::nullopt;
    std::vector<std::uint8_t> text(std::size_t{LoadU16(count)} * 2);
    if (!Read(std::uint64_t{offset} + kNameLengthSize, text)) return std::nullopt;
    return ResourceId::Named(Utf16LeToUtf8(text));
  }

  void Table(std::uint32_t offset, int level, ResourceEntry& path) {
    if (!visited_.insert(offset).second) return Fault(ErrorKind::kResourceLoop, "table at " + std::to_string(offset));
    std::uint8_t header[kTableHeaderSize];
    if (!Read(offset, header)) return Fault(ErrorKind::kBadResourceDirectory, "table at " + std::to_string(offset));
    const std::uint32_t count = std::uint32_t{LoadU16(header + kTableNamedCountAt)} + LoadU16(header + kTableIdCountAt);
    for (std::uint32_t i = 0; i < count; ++i) {
      if (++entriesSeen_ > kMaxDirectoryEntries) {
        stopped_ = true;
        return Fault(ErrorKind::kTooManyEntries, {});
      }
      const std::uint64_t at = std::uint64_t{offset} + kTableHeaderSize + std::uint64_t{i} * kTableEntrySize;
      std::uint8_t entry[kTableEntrySize];
      if (!Read(at, entry)) return Fault(ErrorKind::kBadResourceDirectory, "entry at " + std::to_string(at));
      const std::uint32_t idField = LoadU32(entry + kEntryIdAt);
      const std::uint32_t targetField = LoadU32(entry + kEntryTargetAt);
      Entry(at, idField, targetField, level, path);
      if (stopped_) return;
    }
  }

  void Entry(std::uint64_t at, std::uint32_t idField, std::uint32_t targetField, int level, ResourceEntry& path) {
    const std::string where = "entry at " + std::to_string(at);
    ResourceId id = ResourceId::Number(static_cast<std::uint16_t>(idField & 0xFFFF));
    if ((idField & kHighBit) != 0) {
      auto name = ReadName(idField & ~kHighBit);
      if (!name) return Fault(ErrorKind::kBadResourceDirectory, "the name of the " + where);
      id = std::move(*name);
    }
    const bool isTable = (targetField & kHighBit) != 0;
    const std::uint32_t target = targetField & ~kHighBit;
    if (level < kResourceLevels - 1) {
      if (!isTable) return Fault(ErrorKind::kBadResourceDirectory, where + " names data above the language level");
      if (level == 0) {
        if (onlyType_ != nullptr && !onlyType_->Matches(id)) return;
        path.type = id;
      } else {
        path.name = id;
      }
      return Table(target, level + 1, path);
    }
    if (isTable || id.isName) return Fault(ErrorKind::kBadResourceDirectory, where + " is no language leaf");
    std::uint8_t data[kDataEntryReadSize];
    if (!Read(target, data)) return Fault(ErrorKind::kBadResourceDirectory, "the data entry of the " + where);
    ResourceEntry leaf = path;
    leaf.language = id.id;
    leaf.dataRva = LoadU32(data + kDataRvaAt);
    leaf.size = LoadU32(data + kDataSizeAt);
    leaf.codePage = LoadU32(data + kDataCodePageAt);
    listing_.entries.push_back(std::move(leaf));
  }

  const PeImage::State& state_;
  const ResourceId* onlyType_;
  ResourceListing listing_;
  std::unordered_set<std::uint32_t> visited_;
  std::size_t entriesSeen_ = 0;
  bool stopped_ = false;  // the entry limit was reached: the walk ends
};

}  // namespace

Expected<ResourceListing> PeImage::Resources() const {
  if (!state_->hasResources) return MakeError(ErrorKind::kNoResources);
  return DirectoryWalk(*state_, nullptr).Run();
}

Expected<ResourceListing> PeImage::ResourcesOfType(const ResourceId& type) const {
  if (!state_->hasResources) return MakeError(ErrorKind::kNoResources);
  return DirectoryWalk(*state_, &type).Run();
}

Expected<std::vector<std::uint8_t>> PeImage::ReadResource(const ResourceEntry& entry) const {
  if (entry.size > kMaxResourceSize) {
    return MakeError(ErrorKind::kTooLarge, "resource of " + std::to_string(entry.size) + " bytes");
  }
  const auto offset = state_->MapRva(entry.dataRva, entry.size);
  if (!offset) return MakeError(ErrorKind::kResourceOutOfFile);
  std::vector<std::uint8_t> bytes(entry.size);
  if (auto read = state_->source->Read(*offset, bytes); !read) return read.error();
  return bytes;
}

}  // namespace korvane::formats
