#include "diagnosis/ModuleFile.h"

#include "formats/PeSource.h"

namespace korvane::diagnosis {

namespace {

// The PE reader's paged file access behind the import reader's byte source.
class FileBytes final : public formats::PeByteSource {
 public:
  bool Open(const std::string& path) { return source_.OpenFile(path); }
  std::uint64_t Size() const override { return source_.Size(); }
  bool Read(std::uint64_t offset, void* dst, std::size_t length) const override {
    return source_.Read(offset, dst, length);
  }

 private:
  formats::PeSource source_;
};

}  // namespace

formats::PeModuleError ReadModuleFile(const std::string& path, formats::PeModuleInfo& info,
                                      formats::PeModuleParts parts) {
  FileBytes bytes;
  if (!bytes.Open(path)) {
    info = formats::PeModuleInfo{};
    return formats::PeModuleError::kCannotRead;
  }
  return formats::ReadPeModule(bytes, info, parts);
}

}  // namespace korvane::diagnosis
