// The registry-script reader on arbitrary bytes. Whatever it accepts must
// survive a write and a second read unchanged after the first normalisation
// (encodings and spacing are normalised by the writer, so the comparison is
// between the second and third readings).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "formats/RegFileParser.h"
#include "formats/RegFileWriter.h"

namespace {

using Parsed = korvane::formats::Expected<std::vector<korvane::formats::RegOperation>>;

void ExpectSame(const Parsed& a, const Parsed& b) {
  if (!a.has_value() || !b.has_value() || a->size() != b->size()) std::abort();
  for (std::size_t i = 0; i < a->size(); ++i) {
    if (!(*a)[i].SameAs((*b)[i])) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvane::formats;
  auto first = ParseRegFile(std::span<const std::uint8_t>(data, size));
  if (!first.has_value()) {
    if (first.error().kind != ErrorKind::kBadRegFile || first.error().line < 1) std::abort();
    return 0;
  }
  auto second = ParseRegFile(WriteRegFile(*first));
  if (!second.has_value() || second->size() != first->size()) std::abort();
  auto third = ParseRegFile(WriteRegFile(*second));
  ExpectSame(second, third);
  return 0;
}
