#pragma once
// Reading fixture files into memory for the type-library tests.

#include <cstdint>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "formats/TypeLib.h"

namespace korvane::test {

// The attributes of a read that must succeed; a test failure (and empty
// attributes) otherwise.
inline formats::TypeLibAttributes MustRead(const formats::Expected<formats::TypeLibAttributes>& read) {
  if (!read) {
    ADD_FAILURE() << read.error().message;
    return {};
  }
  return *read;
}

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline void PutU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline void PutU16(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint16_t v) {
  bytes[at] = static_cast<std::uint8_t>(v);
  bytes[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

// Calls check(bytes) with `rounds` copies of whole, each with 1 to 8 bytes
// set to random values (the same ones on every run).
template <typename Check>
void ForRandomDamage(const std::vector<std::uint8_t>& whole, int rounds, Check check) {
  std::mt19937 random(20261207);
  std::uniform_int_distribution<std::size_t> position(0, whole.size() - 1);
  std::uniform_int_distribution<int> value(0, 255);
  for (int round = 0; round < rounds; ++round) {
    auto bytes = whole;
    for (int f = 0; f <= round % 8; ++f) bytes[position(random)] = static_cast<std::uint8_t>(value(random));
    check(bytes);
  }
}

}  // namespace korvane::test
