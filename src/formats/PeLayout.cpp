#include "formats/PeLayout.h"

#include <algorithm>

namespace korvane::formats::pe {

namespace {

template <typename T>
T FromLittle(const std::uint8_t* raw) {
  T v = 0;
  for (std::size_t i = sizeof(T); i-- > 0;) v = static_cast<T>((v << 8) | raw[i]);
  return v;
}

template <typename T>
bool ReadLittle(const PeByteSource& bytes, std::uint64_t offset, T& value) {
  std::uint8_t raw[sizeof(T)];
  if (!bytes.Read(offset, raw, sizeof(T))) return false;
  value = FromLittle<T>(raw);
  return true;
}

}  // namespace

bool FileU16(const PeByteSource& bytes, std::uint64_t offset, std::uint16_t& value) {
  return ReadLittle(bytes, offset, value);
}

bool FileU32(const PeByteSource& bytes, std::uint64_t offset, std::uint32_t& value) {
  return ReadLittle(bytes, offset, value);
}

PeModuleError Layout::ReadHeaders(PeModuleInfo& info) {
  std::uint16_t mz = 0;
  std::uint32_t peOffset = 0;
  if (!FileU16(bytes_, kDosMagicOffset, mz) || mz != kDosMagic ||
      !FileU32(bytes_, kDosPeOffsetField, peOffset)) {
    return PeModuleError::kNotPe;
  }
  std::uint32_t signature = 0;
  if (!FileU32(bytes_, peOffset, signature) || signature != kPeSignature) return PeModuleError::kNotPe;

  const std::uint64_t coff = std::uint64_t{peOffset} + 4;
  std::uint16_t sectionCount = 0;
  std::uint16_t optionalSize = 0;
  if (!FileU16(bytes_, coff + kCoffMachine, info.machine) ||
      !FileU16(bytes_, coff + kCoffSectionCount, sectionCount) ||
      !FileU16(bytes_, coff + kCoffOptionalSize, optionalSize) ||
      !FileU16(bytes_, coff + kCoffCharacteristics, info.characteristics)) {
    return PeModuleError::kBadHeaders;
  }
  info.isDll = (info.characteristics & kCharacteristicDll) != 0;
  if (sectionCount > kMaxSections) return PeModuleError::kBadHeaders;

  const std::uint64_t optional = coff + kCoffHeaderSize;
  std::uint16_t magic = 0;
  if (optionalSize < kOptSubsystem + 2 || !FileU16(bytes_, optional + kOptMagic, magic)) {
    return PeModuleError::kBadHeaders;
  }
  if (magic != kMagicPe32 && magic != kMagicPe32Plus) return PeModuleError::kBadHeaders;
  is64_ = info.is64 = magic == kMagicPe32Plus;
  if (is64_) {
    if (!ReadLittle(bytes_, optional + kOptImageBase64, imageBase_)) return PeModuleError::kBadHeaders;
  } else {
    std::uint32_t base = 0;
    if (!FileU32(bytes_, optional + kOptImageBase32, base)) return PeModuleError::kBadHeaders;
    imageBase_ = base;
  }
  if (!FileU32(bytes_, optional + kOptSizeOfHeaders, sizeOfHeaders_) ||
      !FileU16(bytes_, optional + kOptSubsystem, info.subsystem)) {
    return PeModuleError::kBadHeaders;
  }

  // Directory entries the header declares and has room for; the rest stay empty.
  const std::uint64_t countField = is64_ ? kOptDirectoryCount64 : kOptDirectoryCount32;
  const std::uint64_t firstEntry = is64_ ? kOptDirectories64 : kOptDirectories32;
  std::uint32_t declared = 0;
  if (optionalSize >= countField + 4 && FileU32(bytes_, optional + countField, declared)) {
    for (std::size_t i = 0; i < kDirectorySlots && i < declared; ++i) {
      const std::uint64_t entry = firstEntry + i * kDirectoryEntrySize;
      if (entry + kDirectoryEntrySize > optionalSize) break;
      if (!FileU32(bytes_, optional + entry, directories_[i].rva) ||
          !FileU32(bytes_, optional + entry + 4, directories_[i].size)) {
        return PeModuleError::kBadHeaders;
      }
    }
  }

  // The section table follows the optional header, whatever size that declares.
  const std::uint64_t table = optional + optionalSize;
  sections_.reserve(sectionCount);
  for (std::uint32_t i = 0; i < sectionCount; ++i) {
    const std::uint64_t at = table + std::uint64_t{i} * kSectionHeaderSize;
    Section s;
    if (!FileU32(bytes_, at + kSectionVirtualSize, s.virtualSize) ||
        !FileU32(bytes_, at + kSectionVirtualAddress, s.virtualAddress) ||
        !FileU32(bytes_, at + kSectionRawSize, s.rawSize) ||
        !FileU32(bytes_, at + kSectionRawOffset, s.rawOffset)) {
      return PeModuleError::kBadHeaders;
    }
    sections_.push_back(s);
  }
  return PeModuleError::kOk;
}

bool Layout::Map(std::uint32_t rva, std::uint64_t length, std::uint64_t& offset) const {
  // The headers are mapped at RVA 0 as they lie in the file.
  if (rva < sizeOfHeaders_ && (sections_.empty() || rva < sections_.front().virtualAddress)) {
    offset = rva;
    return offset + length <= bytes_.Size();
  }
  for (const Section& s : sections_) {
    const std::uint32_t span = std::max(s.virtualSize, s.rawSize);
    if (rva < s.virtualAddress || rva - s.virtualAddress >= span) continue;
    const std::uint64_t delta = rva - s.virtualAddress;
    if (delta + length > s.rawSize) return false;
    offset = std::uint64_t{s.rawOffset} + delta;
    return offset + length <= bytes_.Size();
  }
  return false;
}

bool Layout::ReadAt(std::uint32_t rva, void* dst, std::size_t length) const {
  std::uint64_t offset = 0;
  return Map(rva, length, offset) && bytes_.Read(offset, dst, length);
}

template <typename T>
bool Layout::ValueAt(std::uint32_t rva, T& value) const {
  std::uint8_t raw[sizeof(T)];
  if (!ReadAt(rva, raw, sizeof raw)) return false;
  value = FromLittle<T>(raw);
  return true;
}

bool Layout::U16At(std::uint32_t rva, std::uint16_t& value) const { return ValueAt(rva, value); }
bool Layout::U32At(std::uint32_t rva, std::uint32_t& value) const { return ValueAt(rva, value); }
bool Layout::U64At(std::uint32_t rva, std::uint64_t& value) const { return ValueAt(rva, value); }

bool Layout::NameAt(std::uint32_t rva, std::string& name) const {
  // Read in small pieces: a name usually ends long before the limit, and the
  // last piece may be cut short by the end of its section.
  constexpr std::size_t kPiece = 64;
  name.clear();
  std::uint8_t piece[kPiece];
  while (name.size() <= kMaxImportNameLength) {
    const std::uint64_t at = std::uint64_t{rva} + name.size();
    if (at > 0xFFFFFFFFu) return false;
    std::size_t length = kPiece;
    while (length > 0 && !ReadAt(static_cast<std::uint32_t>(at), piece, length)) length /= 2;
    if (length == 0) return false;
    for (std::size_t i = 0; i < length; ++i) {
      if (piece[i] == 0) return name.size() <= kMaxImportNameLength;
      name.push_back(static_cast<char>(piece[i]));
    }
  }
  return false;
}

}  // namespace korvane::formats::pe
