#pragma once
// Byte and name-table writers shared by the parts of the SLTG test builder.

#include <cstdint>
#include <string>
#include <vector>

#include "formats/TypeLib.h"

namespace korvane::test::sltg {

class Writer {
 public:
  void U8(std::uint8_t v) { bytes.push_back(v); }
  void U16(std::uint16_t v) {
    U8(static_cast<std::uint8_t>(v));
    U8(static_cast<std::uint8_t>(v >> 8));
  }
  void U32(std::uint32_t v) {
    U16(static_cast<std::uint16_t>(v));
    U16(static_cast<std::uint16_t>(v >> 16));
  }
  void Text(const std::string& s) { bytes.insert(bytes.end(), s.begin(), s.end()); }
  void Counted(bool present, const std::string& s) {
    if (!present) {
      U16(0xFFFF);
      return;
    }
    U16(static_cast<std::uint16_t>(s.size()));
    Text(s);
  }
  void Fill(std::size_t n, std::uint8_t v) { bytes.insert(bytes.end(), n, v); }
  void Zeros(std::size_t n) { Fill(n, 0); }
  void Guid(const formats::Guid& g) { bytes.insert(bytes.end(), g.begin(), g.end()); }
  void Append(const std::vector<std::uint8_t>& more) { bytes.insert(bytes.end(), more.begin(), more.end()); }
  void PutU16At(std::size_t at, std::uint16_t v) {
    bytes[at] = static_cast<std::uint8_t>(v);
    bytes[at + 1] = static_cast<std::uint8_t>(v >> 8);
  }
  std::size_t size() const { return bytes.size(); }

  std::vector<std::uint8_t> bytes;
};

// NUL-terminated names; offsets count from the table's start.
class NameTable {
 public:
  std::uint16_t Add(const std::string& name) {
    const auto at = static_cast<std::uint16_t>(text.size());
    text += name;
    text += '\0';
    return at;
  }
  // A parameter's name word. With the type words behind it the word is one
  // past the name's first letter and even; with a word pointing at the type it
  // is the name's (even) offset, the byte before being a non-alphanumeric mark.
  std::uint16_t AddParam(const std::string& name, bool typeInline) {
    if (typeInline) {
      if (text.size() % 2 == 0) text += kMark;
      return static_cast<std::uint16_t>(Add(name) + 1);
    }
    if (text.size() % 2 == 0) text += kMark;
    text += kMark;
    return Add(name);
  }

  std::string text;

 private:
  static constexpr char kMark = '*';
};

}  // namespace korvane::test::sltg
