#include "diagnosis/ModuleFile.h"

#include "platform/FileReader.h"

namespace korvane::diagnosis {

namespace {

// The platform's file reader behind the import reader's byte source.
class FileBytes final : public formats::PeByteSource {
 public:
  explicit FileBytes(std::shared_ptr<const formats::ByteSource> file) : file_(std::move(file)) {}
  std::uint64_t Size() const override { return file_->Size(); }
  bool Read(std::uint64_t offset, void* dst, std::size_t length) const override {
    return file_->Read(offset, std::span(static_cast<std::uint8_t*>(dst), length)).has_value();
  }

 private:
  std::shared_ptr<const formats::ByteSource> file_;
};

}  // namespace

formats::PeModuleError ReadModuleFile(const std::string& path, formats::PeModuleInfo& info,
                                      formats::PeModuleParts parts) {
  auto file = platform::OpenFileReader(path);
  if (!file) {
    info = formats::PeModuleInfo{};
    return formats::PeModuleError::kCannotRead;
  }
  return formats::ReadPeModule(FileBytes(std::move(*file)), info, parts);
}

}  // namespace korvane::diagnosis
