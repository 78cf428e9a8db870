#include "platform/win32/WinApi.h"
// WinApi.h first: the interfaces below declare functions named like the macros.

#include "platform/FileReader.h"
#include "platform/win32/LongPath.h"
#include "platform/win32/UniqueHandle.h"

namespace korvane::platform {

namespace {

constexpr DWORD kLargestRead = 1u << 30;

formats::Error OpenError(const std::string& path) {
  return formats::MakeError(formats::ErrorKind::kCannotOpen, path + " (error " + std::to_string(::GetLastError()) + ")");
}

class WindowsFile final : public formats::ByteSource {
 public:
  WindowsFile(win32::UniqueFile file, std::uint64_t size, std::string path)
      : file_(std::move(file)), size_(size), path_(std::move(path)) {}
  std::uint64_t Size() const override { return size_; }

 protected:
  formats::Expected<void> ReadInside(std::uint64_t offset, std::span<std::uint8_t> out) const override {
    std::size_t done = 0;
    while (done < out.size()) {
      const std::uint64_t at = offset + done;
      OVERLAPPED where{};
      where.Offset = static_cast<DWORD>(at);
      where.OffsetHigh = static_cast<DWORD>(at >> 32);
      const DWORD want = static_cast<DWORD>(std::min<std::size_t>(out.size() - done, kLargestRead));
      DWORD got = 0;
      if (!::ReadFile(file_.Get(), out.data() + done, want, &got, &where) || got == 0) {
        return formats::MakeError(formats::ErrorKind::kReadFailed,
                                  path_ + " (error " + std::to_string(::GetLastError()) + ")");
      }
      done += got;
    }
    return {};
  }

 private:
  win32::UniqueFile file_;
  std::uint64_t size_;
  std::string path_;
};

}  // namespace

formats::Expected<std::shared_ptr<const formats::ByteSource>> OpenFileReader(const std::string& path) {
  const std::wstring wide = win32::LongPath(path);
  // Devices and folders are refused by their attributes before any open.
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return OpenError(path);
  if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
    return formats::MakeError(formats::ErrorKind::kNotRegularFile, path);
  }
  win32::UniqueFile file(::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return OpenError(path);
  if (::GetFileType(file.Get()) != FILE_TYPE_DISK) return formats::MakeError(formats::ErrorKind::kNotRegularFile, path);
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.Get(), &size)) return OpenError(path);
  auto reader = std::make_unique<WindowsFile>(std::move(file), static_cast<std::uint64_t>(size.QuadPart), path);
  return std::shared_ptr<const formats::ByteSource>(std::make_shared<formats::PagedSource>(std::move(reader)));
}

}  // namespace korvane::platform
