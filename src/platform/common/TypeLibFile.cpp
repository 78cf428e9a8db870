#include "platform/TypeLibFile.h"

#include <optional>

#include "formats/TypeLibImports.h"
#include "platform/FileReader.h"
#include "platform/TypeLibFolders.h"
#include "platform/UserFiles.h"

namespace korvane::platform {

namespace {
// Registry values and Windows tools name a module's library "C:\...\file.dll\2"
// on every platform.
constexpr char kWindowsSeparator = '\\';
}  // namespace

formats::TypeLibLocation LocateTypeLib(const std::string& path, char separator) {
  const bool whole = IsRegularFile(path);
  formats::TypeLibLocation where = formats::LocateTypeLib(path, separator, whole);
  if (where.hasResourceId || whole || separator == kWindowsSeparator) return where;
  return formats::LocateTypeLib(path, kWindowsSeparator, false);
}

formats::Expected<formats::TypeLibAttributes> ReadTypeLibFile(const std::string& path, char separator) {
  const formats::TypeLibLocation where = LocateTypeLib(path, separator);
  auto file = OpenFileReader(where.file);
  if (!file) return file.error();
  return formats::ReadTypeLibFile(std::move(*file), where);
}

formats::Expected<formats::TypeLibrary> ReadTypeLibraryFile(const std::string& path, char separator) {
  const formats::TypeLibLocation where = LocateTypeLib(path, separator);
  auto file = OpenFileReader(where.file);
  if (!file) return file.error();
  return formats::ReadTypeLibraryFile(std::move(*file), where);
}

void ResolveImportedTypes(formats::TypeLibrary& lib, const std::string& path, char separator) {
  const std::string file = LocateTypeLib(path, separator).file;
  const std::size_t cut = file.rfind(separator);
  const std::vector<std::string> folders = TypeLibImportFolders(
      cut != std::string::npos ? file.substr(0, cut) : std::string(), lib.attributes.sysKind == formats::kSysWin64);

  std::vector<std::optional<formats::TypeLibrary>> read(lib.imports.size());
  std::vector<const formats::TypeLibrary*> imported(lib.imports.size(), nullptr);
  for (std::size_t i = 0; i < lib.imports.size(); ++i) {
    for (const auto& folder : folders) {
      const std::string candidate = folder + separator + lib.imports[i].fileName;
      if (!IsRegularFile(candidate)) continue;
      auto other = ReadTypeLibraryFile(candidate, separator);
      if (!other || other->attributes.guid != lib.imports[i].guid) continue;
      read[i] = std::move(*other);
      imported[i] = &*read[i];
      break;
    }
  }
  formats::ResolveImportedTypes(lib, imported);
}

formats::Expected<std::vector<formats::TypeLibResourceInfo>> ListTypeLibResources(const std::string& file) {
  auto source = OpenFileReader(file);
  if (!source) return source.error();
  return formats::ListTypeLibResources(std::move(*source), file);
}

}  // namespace korvane::platform
