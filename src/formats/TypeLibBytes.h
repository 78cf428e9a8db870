#pragma once
// Bounded little-endian reads over the bytes of a type library. Every read
// checks its range first and throws TypeLibError when it would leave the data,
// so a parser never touches memory outside the span it was given.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "formats/TypeLib.h"

namespace korvane::formats {

class TypeLibBytes {
 public:
  explicit TypeLibBytes(std::span<const std::uint8_t> data) : data_(data) {}

  std::size_t size() const { return data_.size(); }

  // True when [offset, offset + length) lies inside the data.
  bool Contains(std::uint64_t offset, std::uint64_t length) const {
    return offset <= data_.size() && length <= data_.size() - offset;
  }

  std::uint8_t U8(std::uint64_t offset) const {
    Require(offset, 1);
    return data_[static_cast<std::size_t>(offset)];
  }
  std::uint16_t U16(std::uint64_t offset) const {
    Require(offset, 2);
    auto p = data_.data() + offset;
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
  }
  std::uint32_t U32(std::uint64_t offset) const {
    Require(offset, 4);
    auto p = data_.data() + offset;
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
  }
  std::int32_t I32(std::uint64_t offset) const { return static_cast<std::int32_t>(U32(offset)); }

  std::span<const std::uint8_t> Bytes(std::uint64_t offset, std::uint64_t length) const {
    Require(offset, length);
    return data_.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
  }

  void Require(std::uint64_t offset, std::uint64_t length) const {
    if (!Contains(offset, length)) {
      throw TypeLibError("type library data ends before offset 0x" + Hex(offset + length));
    }
  }

 private:
  static std::string Hex(std::uint64_t v) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    do {
      s.insert(s.begin(), digits[v & 0xF]);
      v >>= 4;
    } while (v != 0);
    return s;
  }

  std::span<const std::uint8_t> data_;
};

}  // namespace korvane::formats
