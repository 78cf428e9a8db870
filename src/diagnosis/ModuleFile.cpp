#include "diagnosis/ModuleFile.h"

#include "platform/FileReader.h"

namespace korvane::diagnosis {

formats::Expected<formats::PeModuleInfo> ReadModuleFile(const std::string& path, formats::PeModuleParts parts) {
  auto file = platform::OpenFileReader(path);
  if (!file) return file.error();
  return formats::ReadPeModule(std::move(*file), parts);
}

}  // namespace korvane::diagnosis
