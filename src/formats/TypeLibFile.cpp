#include "formats/TypeLibFile.h"

#include <cctype>
#include <filesystem>
#include <fstream>

#include "formats/PeImage.h"

namespace korvane::formats {

namespace {

const ResourceId& TypeLibType() {
  static const ResourceId type = ResourceId::Named("TYPELIB");
  return type;
}

enum class FileKind { Pe, TypeLib, Other };

FileKind KindOf(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw TypeLibError("cannot open " + file);
  char head[4] = {};
  in.read(head, 4);
  const auto got = static_cast<std::size_t>(in.gcount());
  if (got >= 2 && head[0] == 'M' && head[1] == 'Z') return FileKind::Pe;
  const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(head), got);
  return IsTypeLibData(bytes) ? FileKind::TypeLib : FileKind::Other;
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& file) {
  std::ifstream in(file, std::ios::binary | std::ios::ate);
  if (!in) throw TypeLibError("cannot open " + file);
  const std::streamoff size = in.tellg();
  if (size < 0) throw TypeLibError("cannot read " + file);
  if (static_cast<std::uint64_t>(size) > kMaxTypeLibFileSize) throw TypeLibError("file is too large: " + file);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), size);
  if (in.gcount() != size) throw TypeLibError("cannot read " + file);
  return bytes;
}

PeImage OpenPe(const std::string& file) {
  PeImage image;
  const PeError error = image.Open(file);
  if (error != PeError::kOk) throw TypeLibError(file + ": " + PeErrorText(error));
  return image;
}

std::vector<ResourceEntry> TypeLibEntries(const PeImage& image, const std::string& file) {
  std::vector<ResourceEntry> entries;
  const PeError error = image.ResourcesOfType(TypeLibType(), entries);
  // A damaged directory still lists its sound entries; use what was found.
  if (error != PeError::kOk && error != PeError::kNoResources && error != PeError::kNotFound &&
      entries.empty()) {
    throw TypeLibError(file + ": " + PeErrorText(error));
  }
  return entries;
}

std::vector<std::uint8_t> LoadFromPe(const TypeLibLocation& where) {
  const PeImage image = OpenPe(where.file);
  const std::vector<ResourceEntry> entries = TypeLibEntries(image, where.file);
  const ResourceEntry* chosen = nullptr;
  for (const auto& entry : entries) {
    if (!where.hasResourceId || (!entry.name.isName && entry.name.id == where.resourceId)) {
      chosen = &entry;
      break;
    }
  }
  if (chosen == nullptr) {
    if (where.hasResourceId) {
      throw TypeLibError(where.file + " has no type library resource " + std::to_string(where.resourceId));
    }
    throw TypeLibError(where.file + " holds no type library");
  }
  std::vector<std::uint8_t> bytes;
  const PeError error = image.ReadResource(*chosen, bytes);
  if (error != PeError::kOk) throw TypeLibError(where.file + ": " + PeErrorText(error));
  return bytes;
}

}  // namespace

TypeLibLocation LocateTypeLib(const std::string& path, char separator) {
  TypeLibLocation where{path, false, 0};
  std::error_code ec;
  if (std::filesystem::is_regular_file(path, ec)) return where;
  const std::size_t cut = path.rfind(separator);
  if (cut == std::string::npos || cut + 1 >= path.size()) return where;
  const std::string digits = path.substr(cut + 1);
  if (digits.size() > 5) return where;
  for (char c : digits) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return where;
  }
  const unsigned long id = std::stoul(digits);
  if (id > 0xFFFF) return where;
  where.file = path.substr(0, cut);
  where.hasResourceId = true;
  where.resourceId = static_cast<std::uint16_t>(id);
  return where;
}

std::vector<std::uint8_t> LoadTypeLibBytes(const std::string& path, char separator) {
  const TypeLibLocation where = LocateTypeLib(path, separator);
  switch (KindOf(where.file)) {
    case FileKind::Pe:
      return LoadFromPe(where);
    case FileKind::TypeLib:
      if (where.hasResourceId) throw TypeLibError(where.file + " is a stand-alone type library, not a PE file");
      return ReadWholeFile(where.file);
    case FileKind::Other:
      break;
  }
  throw TypeLibError(where.file + " holds no type library");
}

TypeLibAttributes ReadTypeLibFile(const std::string& path, char separator) {
  const std::vector<std::uint8_t> bytes = LoadTypeLibBytes(path, separator);
  return ReadTypeLib(bytes);
}

std::vector<TypeLibResourceInfo> ListTypeLibResources(const std::string& file) {
  const PeImage image = OpenPe(file);
  std::vector<TypeLibResourceInfo> list;
  for (const auto& entry : TypeLibEntries(image, file)) {
    TypeLibResourceInfo info;
    info.isName = entry.name.isName;
    info.id = entry.name.id;
    info.name = entry.name.name;
    info.language = entry.language;
    info.size = entry.size;
    list.push_back(std::move(info));
  }
  return list;
}

}  // namespace korvane::formats
