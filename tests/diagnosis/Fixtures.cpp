#include "Fixtures.h"

#include <fstream>
#include <iterator>

namespace korvane::test {

std::string DiagnosisFixture(const std::string& relative) {
  return std::string(KORVANE_DIAGNOSIS_FIXTURES) + "/" + relative;
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace korvane::test
