#pragma once
// Bounded random access to the bytes of a PE image: a file read on demand in
// cached pages, or a copy of bytes in memory. Every read checks its range
// against the size; nothing past the end is ever returned.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace korvane::formats {

class PeSource {
 public:
  PeSource() = default;
  ~PeSource();
  PeSource(const PeSource&) = delete;
  PeSource& operator=(const PeSource&) = delete;

  bool OpenFile(const std::string& path);
  void OpenBytes(std::span<const std::uint8_t> bytes);

  std::uint64_t Size() const { return size_; }
  // Copies [offset, offset + length) into dst; false when the range is not all
  // inside the source or the file cannot be read.
  bool Read(std::uint64_t offset, void* dst, std::uint64_t length) const;
  bool U16(std::uint64_t offset, std::uint16_t& value) const;
  bool U32(std::uint64_t offset, std::uint32_t& value) const;

 private:
  static constexpr std::uint64_t kPageSize = 4096;
  // Small reads (headers, directories) go through at most this many cached
  // pages; a directory that needs more is not one any real image has.
  static constexpr std::size_t kMaxCachedPages = 1024;

  const std::uint8_t* Page(std::uint64_t index) const;
  bool ReadDirect(std::uint64_t offset, void* dst, std::uint64_t length) const;

  int fd_ = -1;
  std::vector<std::uint8_t> bytes_;
  std::uint64_t size_ = 0;
  mutable std::unordered_map<std::uint64_t, std::unique_ptr<std::uint8_t[]>> pages_;
  mutable std::uint64_t lastIndex_ = ~std::uint64_t{0};
  mutable const std::uint8_t* lastPage_ = nullptr;
};

}  // namespace korvane::formats
