#pragma once
// Bounded little-endian reads over the bytes of a type library. Every read
// checks its range first and gives kBadTypeLib when it would leave the data,
// so a parser never touches memory outside the span it was given.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "formats/Expected.h"
#include "formats/LittleEndian.h"

namespace korvane::formats {

class TypeLibBytes {
 public:
  explicit TypeLibBytes(std::span<const std::uint8_t> data) : data_(data) {}

  std::size_t size() const { return data_.size(); }

  // True when [offset, offset + length) lies inside the data.
  bool Contains(std::uint64_t offset, std::uint64_t length) const {
    return offset <= data_.size() && length <= data_.size() - offset;
  }

  // The bytes [offset, offset + length); what names them in the error.
  Expected<std::span<const std::uint8_t>> Bytes(std::uint64_t offset, std::uint64_t length, const char* what) const {
    if (!Contains(offset, length)) {
      return MakeError(ErrorKind::kBadTypeLib, std::string(what) + " ends after the data, at offset 0x" +
                                                   Hex(offset + length));
    }
    return data_.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
  }
  Expected<std::uint16_t> U16(std::uint64_t offset, const char* what) const {
    const auto b = Bytes(offset, 2, what);
    if (!b) return b.error();
    return LoadU16(b->data());
  }
  Expected<std::uint32_t> U32(std::uint64_t offset, const char* what) const {
    const auto b = Bytes(offset, 4, what);
    if (!b) return b.error();
    return LoadU32(b->data());
  }

  // Upper-case hexadecimal digits of v, for messages.
  static std::string Hex(std::uint64_t v) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    do {
      s.insert(s.begin(), digits[v & 0xF]);
      v >>= 4;
    } while (v != 0);
    return s;
  }

 private:
  std::span<const std::uint8_t> data_;
};

}  // namespace korvane::formats
