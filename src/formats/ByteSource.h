#pragma once
// Bytes to read at offsets: a file opened by the platform layer, or a copy in
// memory. Every read checks its range against the size first, so a reader
// asking for bytes beyond the end gets an error, never stale or foreign bytes.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

#include "formats/Expected.h"

namespace korvane::formats {

class ByteSource {
 public:
  virtual ~ByteSource() = default;

  virtual std::uint64_t Size() const = 0;

  // Fills out with the bytes at [offset, offset + out.size()). kOutOfRange when
  // the range is not all inside Size(), kReadFailed when the bytes cannot be read.
  Expected<void> Read(std::uint64_t offset, std::span<std::uint8_t> out) const;
  Expected<std::uint16_t> U16(std::uint64_t offset) const;
  Expected<std::uint32_t> U32(std::uint64_t offset) const;

 protected:
  // Called by Read with a range that lies inside Size().
  virtual Expected<void> ReadInside(std::uint64_t offset, std::span<std::uint8_t> out) const = 0;
};

// Every byte of a source, when it has at most limit of them (kTooLarge otherwise).
Expected<std::vector<std::uint8_t>> ReadWhole(const ByteSource& source, std::uint64_t limit);

class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
  std::uint64_t Size() const override { return bytes_.size(); }

 protected:
  Expected<void> ReadInside(std::uint64_t offset, std::span<std::uint8_t> out) const override;

 private:
  std::vector<std::uint8_t> bytes_;
};

// Another source seen through a cache of its pages: the many small reads of a
// header or directory walk reach the inner source once per page. Reads longer
// than a page go straight through.
class PagedSource final : public ByteSource {
 public:
  explicit PagedSource(std::unique_ptr<ByteSource> inner);
  std::uint64_t Size() const override { return size_; }

 protected:
  Expected<void> ReadInside(std::uint64_t offset, std::span<std::uint8_t> out) const override;

 private:
  static constexpr std::uint64_t kPageSize = 4096;
  // Pages kept at most; further small reads go straight through.
  static constexpr std::size_t kMaxCachedPages = 1024;

  const std::uint8_t* Page(std::uint64_t index) const;

  std::unique_ptr<ByteSource> inner_;
  std::uint64_t size_ = 0;
  mutable std::unordered_map<std::uint64_t, std::unique_ptr<std::uint8_t[]>> pages_;
};

}  // namespace korvane::formats
