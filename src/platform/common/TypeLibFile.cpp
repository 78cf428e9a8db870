#include "platform/TypeLibFile.h"

#include "platform/FileReader.h"
#include "platform/UserFiles.h"

namespace korvane::platform {

formats::TypeLibLocation LocateTypeLib(const std::string& path, char separator) {
  return formats::LocateTypeLib(path, separator, IsRegularFile(path));
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

formats::Expected<std::vector<formats::TypeLibResourceInfo>> ListTypeLibResources(const std::string& file) {
  auto source = OpenFileReader(file);
  if (!source) return source.error();
  return formats::ListTypeLibResources(std::move(*source), file);
}

}  // namespace korvane::platform
