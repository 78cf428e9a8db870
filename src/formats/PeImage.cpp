#include "formats/PeImage.h"

#include <algorithm>
#include <unordered_set>

#include "formats/PeSource.h"
#include "formats/TextCodec.h"

namespace korvane::formats {

namespace {

// Limits no real image comes near; they bound time and memory on hostile input.
constexpr std::uint32_t kMaxSections = 1024;
constexpr std::size_t kMaxDirectoryEntries = 1u << 16;
constexpr int kResourceLevels = 3;  // type, name, language

constexpr std::uint32_t kHighBit = 0x80000000u;

struct Section {
  std::uint32_t virtualAddress = 0;
  std::uint32_t virtualSize = 0;
  std::uint32_t rawSize = 0;
  std::uint32_t rawOffset = 0;
};


}  // namespace

struct PeImage::State {
  PeSource source;
  PeError openError = PeError::kCannotOpen;
  bool is64 = false;
  std::vector<Section> sections;
  // The resource directory: its file offset and the end of the bytes that
  // back its section in the file.
  bool hasResources = false;
  std::uint64_t rsrcBase = 0;
  std::uint64_t rsrcEnd = 0;

  PeError ParseHeaders();
  // The file offset of [rva, rva + length), or false when it is not backed by file bytes.
  bool MapRva(std::uint32_t rva, std::uint32_t length, std::uint64_t& offset) const;
};

const char* PeErrorText(PeError error) {
  switch (error) {
    case PeError::kOk: return "";
    case PeError::kCannotOpen: return "the file cannot be opened or read";
    case PeError::kNotPe: return "not a PE image";
    case PeError::kBadHeaders: return "malformed PE headers or section table";
    case PeError::kNoResources: return "the image has no resources";
    case PeError::kBadResourceDirectory: return "malformed resource directory";
    case PeError::kResourceLoop: return "the resource directory refers to itself";
    case PeError::kTooManyEntries: return "too many resource directory entries";
    case PeError::kResourceOutOfFile: return "resource data lies outside the file";
    case PeError::kResourceTooLarge: return "resource too large";
    case PeError::kNotFound: return "resource not found";
  }
  return "unknown error";
}

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

PeImage::PeImage() : state_(std::make_unique<State>()) {}
PeImage::~PeImage() = default;
PeImage::PeImage(PeImage&&) noexcept = default;
PeImage& PeImage::operator=(PeImage&&) noexcept = default;

PeError PeImage::Open(const std::string& path) {
  state_ = std::make_unique<State>();
  if (!state_->source.OpenFile(path)) return state_->openError = PeError::kCannotOpen;
  return state_->openError = state_->ParseHeaders();
}

PeError PeImage::OpenBytes(std::span<const std::uint8_t> bytes) {
  state_ = std::make_unique<State>();
  state_->source.OpenBytes(bytes);
  return state_->openError = state_->ParseHeaders();
}

PeError PeImage::OpenError() const { return state_ ? state_->openError : PeError::kCannotOpen; }
bool PeImage::Is64Bit() const { return state_ && state_->is64; }

PeError PeImage::State::ParseHeaders() {
  PeSource& s = source;
  std::uint16_t mz = 0;
  std::uint32_t peOffset = 0;
  if (!s.U16(0, mz) || mz != 0x5A4D || !s.U32(0x3C, peOffset)) return PeError::kNotPe;
  std::uint32_t signature = 0;
  if (!s.U32(peOffset, signature) || signature != 0x00004550) return PeError::kNotPe;

  const std::uint64_t coff = std::uint64_t{peOffset} + 4;
  std::uint16_t sectionCount = 0;
  std::uint16_t optionalSize = 0;
  if (!s.U16(coff + 2, sectionCount) || !s.U16(coff + 16, optionalSize)) return PeError::kBadHeaders;
  if (sectionCount > kMaxSections) return PeError::kBadHeaders;

  const std::uint64_t optional = coff + 20;
  std::uint16_t magic = 0;
  if (optionalSize < 2 || !s.U16(optional, magic)) return PeError::kBadHeaders;
  if (magic == 0x20B) {
    is64 = true;
  } else if (magic != 0x10B) {
    return PeError::kBadHeaders;
  }
  const std::uint32_t countField = is64 ? 108 : 92;
  const std::uint32_t directories = is64 ? 112 : 96;

  // Section table: it follows the optional header whatever size that declares.
  const std::uint64_t table = optional + optionalSize;
  sections.reserve(sectionCount);
  for (std::uint32_t i = 0; i < sectionCount; ++i) {
    const std::uint64_t at = table + std::uint64_t{i} * 40;
    Section sec;
    if (!s.U32(at + 8, sec.virtualSize) || !s.U32(at + 12, sec.virtualAddress) ||
        !s.U32(at + 16, sec.rawSize) || !s.U32(at + 20, sec.rawOffset)) {
      return PeError::kBadHeaders;
    }
    sections.push_back(sec);
  }

  // The resource data directory (index 2), when the header has room for it.
  std::uint32_t directoryCount = 0;
  std::uint32_t rsrcRva = 0;
  std::uint32_t rsrcSize = 0;
  const std::uint32_t rsrcEntry = directories + 2 * 8;
  if (optionalSize >= countField + 4 && s.U32(optional + countField, directoryCount) &&
      directoryCount > 2 && optionalSize >= rsrcEntry + 8) {
    if (!s.U32(optional + rsrcEntry, rsrcRva) || !s.U32(optional + rsrcEntry + 4, rsrcSize)) {
      return PeError::kBadHeaders;
    }
  }
  if (rsrcRva == 0 || rsrcSize == 0) return PeError::kOk;

  // Directory offsets are relative to the directory's start; every one must
  // stay inside the file bytes of the section that holds the directory.
  for (const Section& sec : sections) {
    const std::uint32_t span = std::max(sec.virtualSize, sec.rawSize);
    if (rsrcRva >= sec.virtualAddress && rsrcRva - sec.virtualAddress < span) {
      const std::uint32_t delta = rsrcRva - sec.virtualAddress;
      if (delta >= sec.rawSize) break;
      rsrcBase = std::uint64_t{sec.rawOffset} + delta;
      rsrcEnd = std::min<std::uint64_t>(std::uint64_t{sec.rawOffset} + sec.rawSize, s.Size());
      hasResources = rsrcBase < rsrcEnd;
      break;
    }
  }
  return PeError::kOk;
}

bool PeImage::State::MapRva(std::uint32_t rva, std::uint32_t length, std::uint64_t& offset) const {
  for (const Section& sec : sections) {
    const std::uint32_t span = std::max(sec.virtualSize, sec.rawSize);
    if (rva < sec.virtualAddress || rva - sec.virtualAddress >= span) continue;
    const std::uint64_t delta = rva - sec.virtualAddress;
    if (delta + length > sec.rawSize) return false;
    offset = sec.rawOffset + delta;
    return offset + length <= source.Size();
  }
  return false;
}

namespace {

// One walk of the resource tree, optionally limited to one type.
class DirectoryWalk {
 public:
  DirectoryWalk(const PeImage::State& state, const ResourceId* onlyType, std::vector<ResourceEntry>& out)
      : state_(state), onlyType_(onlyType), out_(out) {}

  PeError Run() {
    ResourceEntry path;
    Directory(0, 0, path);
    return error_;
  }

 private:
  void Fault(PeError e) {
    if (error_ == PeError::kOk) error_ = e;
  }

  bool U16(std::uint64_t offset, std::uint16_t& v) const {
    return offset + 2 <= Length() && state_.source.U16(Base() + offset, v);
  }
  bool U32(std::uint64_t offset, std::uint32_t& v) const {
    return offset + 4 <= Length() && state_.source.U32(Base() + offset, v);
  }
  std::uint64_t Base() const { return state_.rsrcBase; }
  std::uint64_t Length() const { return state_.rsrcEnd - state_.rsrcBase; }

  bool ReadName(std::uint32_t offset, ResourceId& id) const {
    std::uint16_t chars = 0;
    if (!U16(offset, chars)) return false;
    const std::uint64_t bytes = std::uint64_t{chars} * 2;
    if (offset + 2 + bytes > Length()) return false;
    std::vector<std::uint8_t> text(bytes);
    if (bytes != 0 && !state_.source.Read(Base() + offset + 2, text.data(), bytes)) return false;
    id = ResourceId::Named(Utf16LeToUtf8(text));
    return true;
  }

  void Directory(std::uint32_t offset, int level, ResourceEntry& path) {
    if (!visited_.insert(offset).second) return Fault(PeError::kResourceLoop);
    std::uint16_t named = 0;
    std::uint16_t numbered = 0;
    if (!U16(std::uint64_t{offset} + 12, named) || !U16(std::uint64_t{offset} + 14, numbered)) {
      return Fault(PeError::kBadResourceDirectory);
    }
    const std::uint32_t count = std::uint32_t{named} + numbered;
    for (std::uint32_t i = 0; i < count; ++i) {
      if (++entriesSeen_ > kMaxDirectoryEntries) return Fault(PeError::kTooManyEntries);
      const std::uint64_t at = std::uint64_t{offset} + 16 + std::uint64_t{i} * 8;
      std::uint32_t nameField = 0;
      std::uint32_t dataField = 0;
      if (!U32(at, nameField) || !U32(at + 4, dataField)) return Fault(PeError::kBadResourceDirectory);

      ResourceId id;
      if (nameField & kHighBit) {
        if (!ReadName(nameField & ~kHighBit, id)) {
          Fault(PeError::kBadResourceDirectory);
          continue;
        }
      } else {
        id = ResourceId::Number(static_cast<std::uint16_t>(nameField & 0xFFFF));
      }

      const bool isDirectory = (dataField & kHighBit) != 0;
      const std::uint32_t target = dataField & ~kHighBit;
      if (level < kResourceLevels - 1) {
        if (!isDirectory) {
          Fault(PeError::kBadResourceDirectory);
          continue;
        }
        if (level == 0) {
          if (onlyType_ != nullptr && !onlyType_->Matches(id)) continue;
          path.type = id;
        } else {
          path.name = id;
        }
        Directory(target, level + 1, path);
        if (error_ == PeError::kTooManyEntries) return;
        continue;
      }
      if (isDirectory || id.isName) {
        Fault(PeError::kBadResourceDirectory);
        continue;
      }
      ResourceEntry entry = path;
      entry.language = id.id;
      if (!U32(target, entry.dataRva) || !U32(std::uint64_t{target} + 4, entry.size) ||
          !U32(std::uint64_t{target} + 8, entry.codePage)) {
        Fault(PeError::kBadResourceDirectory);
        continue;
      }
      out_.push_back(std::move(entry));
    }
  }

  const PeImage::State& state_;
  const ResourceId* onlyType_;
  std::vector<ResourceEntry>& out_;
  std::unordered_set<std::uint32_t> visited_;
  std::size_t entriesSeen_ = 0;
  PeError error_ = PeError::kOk;
};

}  // namespace

PeError PeImage::Resources(std::vector<ResourceEntry>& out) const {
  out.clear();
  if (state_->openError != PeError::kOk) return state_->openError;
  if (!state_->hasResources) return PeError::kNoResources;
  return DirectoryWalk(*state_, nullptr, out).Run();
}

PeError PeImage::ResourcesOfType(const ResourceId& type, std::vector<ResourceEntry>& out) const {
  out.clear();
  if (state_->openError != PeError::kOk) return state_->openError;
  if (!state_->hasResources) return PeError::kNoResources;
  return DirectoryWalk(*state_, &type, out).Run();
}

PeError PeImage::ReadResource(const ResourceEntry& entry, std::vector<std::uint8_t>& out) const {
  out.clear();
  if (state_->openError != PeError::kOk) return state_->openError;
  if (entry.size > kMaxResourceSize) return PeError::kResourceTooLarge;
  std::uint64_t offset = 0;
  if (!state_->MapRva(entry.dataRva, entry.size, offset)) return PeError::kResourceOutOfFile;
  out.resize(entry.size);
  if (entry.size != 0 && !state_->source.Read(offset, out.data(), entry.size)) {
    out.clear();
    return PeError::kCannotOpen;
  }
  return PeError::kOk;
}

}  // namespace korvane::formats
