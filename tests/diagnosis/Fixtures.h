#pragma once
// The fixture libraries built for these tests, and reading one into memory.

#include <cstdint>
#include <string>
#include <vector>

namespace korvane::test {

// fixtures/<relative>, with the platform's separator.
std::string DiagnosisFixture(const std::string& relative);
std::vector<std::uint8_t> ReadBytes(const std::string& path);

}  // namespace korvane::test
