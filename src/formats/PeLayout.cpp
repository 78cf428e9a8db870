#include "formats/PeLayout.h"

#include "formats/LittleEndian.h"

namespace korvane::formats::pe {

std::optional<std::uint64_t> Layout::Map(std::uint32_t rva, std::uint64_t length) const {
  // The headers are mapped at RVA 0 as they lie in the file.
  const PeHeaders& h = image_.Headers();
  if (rva < h.sizeOfHeaders && (h.sections.empty() || rva < h.sections.front().virtualAddress)) {
    if (std::uint64_t{rva} + length > image_.Source().Size()) return std::nullopt;
    return rva;
  }
  return image_.MapRva(rva, length);
}

bool Layout::ReadAt(std::uint32_t rva, std::span<std::uint8_t> out) const {
  const auto offset = Map(rva, out.size());
  return offset && image_.Source().Read(*offset, out).has_value();
}

std::optional<std::uint16_t> Layout::U16At(std::uint32_t rva) const {
  std::uint8_t raw[2];
  if (!ReadAt(rva, raw)) return std::nullopt;
  return LoadU16(raw);
}

std::optional<std::uint32_t> Layout::U32At(std::uint32_t rva) const {
  std::uint8_t raw[4];
  if (!ReadAt(rva, raw)) return std::nullopt;
  return LoadU32(raw);
}

std::optional<std::uint64_t> Layout::U64At(std::uint32_t rva) const {
  std::uint8_t raw[8];
  if (!ReadAt(rva, raw)) return std::nullopt;
  return LoadU64(raw);
}

std::optional<std::string> Layout::NameAt(std::uint32_t rva) const {
  // Read in small pieces: a name usually ends long before the limit, and the
  // last piece may be cut short by the end of its section.
  constexpr std::size_t kPiece = 64;
  std::string name;
  std::uint8_t piece[kPiece];
  while (name.size() <= kMaxImportNameLength) {
    const std::uint64_t at = std::uint64_t{rva} + name.size();
    if (at > 0xFFFFFFFFu) return std::nullopt;
    std::size_t length = kPiece;
    while (length > 0 && !ReadAt(static_cast<std::uint32_t>(at), std::span(piece, length))) length /= 2;
    if (length == 0) return std::nullopt;
    for (std::size_t i = 0; i < length; ++i) {
      if (piece[i] == 0) {
        if (name.size() > kMaxImportNameLength) return std::nullopt;
        return name;
      }
      name.push_back(static_cast<char>(piece[i]));
    }
  }
  return std::nullopt;
}

Expected<std::string_view> Layout::PooledNameAt(std::uint32_t rva) const {
  if (const std::string* kept = names_.Find(rva)) return std::string_view(*kept);
  auto name = NameAt(rva);
  if (!name) return MakeError(ErrorKind::kOutOfRange, "name at " + std::to_string(rva));
  return names_.Keep(rva, std::move(*name));
}

}  // namespace korvane::formats::pe

namespace korvane::formats {

const std::string* NamePool::Find(std::uint32_t rva) const {
  const auto found = byRva_.find(rva);
  return found == byRva_.end() ? nullptr : &found->second;
}

Expected<std::string_view> NamePool::Keep(std::uint32_t rva, std::string name) {
  if (name.size() > kMaxModuleNameBytes - bytes_) return MakeError(ErrorKind::kTooManyNames, "function names");
  bytes_ += name.size();
  const std::string& kept = byRva_.insert_or_assign(rva, std::move(name)).first->second;
  return std::string_view(kept);
}

}  // namespace korvane::formats
