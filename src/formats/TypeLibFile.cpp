#include "formats/TypeLibFile.h"

#include <algorithm>
#include <cctype>

#include "formats/PeImage.h"

namespace korvane::formats {

namespace {

constexpr std::size_t kMaxResourceIdDigits = 5;

const ResourceId& TypeLibType() {
  static const ResourceId type = ResourceId::Named("TYPELIB");
  return type;
}

// The same fault, told about a named file.
Error About(const std::string& file, const Error& error) { return Error{error.kind, file + ": " + error.message}; }

enum class FileKind { Pe, TypeLib, Other };

Expected<FileKind> KindOf(const ByteSource& file) {
  std::uint8_t head[4] = {};
  const std::size_t got = static_cast<std::size_t>(std::min<std::uint64_t>(file.Size(), sizeof head));
  if (auto read = file.Read(0, std::span(head, got)); !read) return read.error();
  if (got >= 2 && head[0] == 'M' && head[1] == 'Z') return FileKind::Pe;
  return IsTypeLibData(std::span(head, got)) ? FileKind::TypeLib : FileKind::Other;
}

Expected<PeImage> OpenPe(std::shared_ptr<const ByteSource> file, const std::string& name) {
  auto image = PeImage::Open(std::move(file));
  if (!image) return About(name, image.error());
  return image;
}

Expected<std::vector<ResourceEntry>> TypeLibEntries(const PeImage& image, const std::string& name) {
  auto listing = image.ResourcesOfType(TypeLibType());
  if (!listing) {
    if (listing.error().kind == ErrorKind::kNoResources) return std::vector<ResourceEntry>{};
    return About(name, listing.error());
  }
  // A damaged directory still lists its sound entries; use what was found.
  if (listing->entries.empty() && listing->damage) return About(name, *listing->damage);
  return std::move(listing->entries);
}

Expected<std::vector<std::uint8_t>> LoadFromPe(std::shared_ptr<const ByteSource> file, const TypeLibLocation& where) {
  const auto image = OpenPe(std::move(file), where.file);
  if (!image) return image.error();
  const auto entries = TypeLibEntries(*image, where.file);
  if (!entries) return entries.error();
  const auto chosen = std::find_if(entries->begin(), entries->end(), [&where](const ResourceEntry& entry) {
    return !where.hasResourceId || (!entry.name.isName && entry.name.id == where.resourceId);
  });
  if (chosen == entries->end()) {
    if (where.hasResourceId) {
      return MakeError(ErrorKind::kNotFound,
                       where.file + " has no type library resource " + std::to_string(where.resourceId));
    }
    return MakeError(ErrorKind::kNotTypeLib, where.file + " holds no type library");
  }
  auto bytes = image->ReadResource(*chosen);
  if (!bytes) return About(where.file, bytes.error());
  return bytes;
}

}  // namespace

TypeLibLocation LocateTypeLib(const std::string& path, char separator, bool pathIsFile) {
  TypeLibLocation where{path, false, 0};
  if (pathIsFile) return where;
  const std::size_t cut = path.rfind(separator);
  if (cut == std::string::npos || cut + 1 >= path.size()) return where;
  const std::string digits = path.substr(cut + 1);
  if (digits.size() > kMaxResourceIdDigits) return where;
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

Expected<std::vector<std::uint8_t>> LoadTypeLibBytes(std::shared_ptr<const ByteSource> file,
                                                     const TypeLibLocation& where) {
  const auto kind = KindOf(*file);
  if (!kind) return About(where.file, kind.error());
  switch (*kind) {
    case FileKind::Pe:
      return LoadFromPe(std::move(file), where);
    case FileKind::TypeLib: {
      if (where.hasResourceId) {
        return MakeError(ErrorKind::kNotPe, where.file + " is a stand-alone type library, not a PE file");
      }
      auto bytes = ReadWhole(*file, kMaxTypeLibFileSize);
      if (!bytes) return About(where.file, bytes.error());
      return bytes;
    }
    case FileKind::Other:
      break;
  }
  return MakeError(ErrorKind::kNotTypeLib, where.file + " holds no type library");
}

Expected<TypeLibAttributes> ReadTypeLibFile(std::shared_ptr<const ByteSource> file, const TypeLibLocation& where) {
  const auto bytes = LoadTypeLibBytes(std::move(file), where);
  if (!bytes) return bytes.error();
  auto attr = ReadTypeLib(*bytes);
  if (!attr) return About(where.file, attr.error());
  return attr;
}

Expected<TypeLibrary> ReadTypeLibraryFile(std::shared_ptr<const ByteSource> file, const TypeLibLocation& where) {
  const auto bytes = LoadTypeLibBytes(std::move(file), where);
  if (!bytes) return bytes.error();
  auto library = ReadTypeLibrary(*bytes);
  if (!library) return About(where.file, library.error());
  return library;
}

Expected<std::vector<TypeLibResourceInfo>> ListTypeLibResources(std::shared_ptr<const ByteSource> file,
                                                                const std::string& name) {
  const auto image = OpenPe(std::move(file), name);
  if (!image) return image.error();
  const auto entries = TypeLibEntries(*image, name);
  if (!entries) return entries.error();
  std::vector<TypeLibResourceInfo> list;
  for (const auto& entry : *entries) {
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
