// The registry-script reader on arbitrary bytes. Whatever it accepts must
// survive a write and a second read unchanged after the first normalisation
// (encodings and spacing are normalised by the writer, so the comparison is
// between the second and third readings).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "formats/RegFileParser.h"
#include "formats/RegFileWriter.h"

namespace {

void ExpectSame(const korvane::formats::RegParseResult& a, const korvane::formats::RegParseResult& b) {
  if (!a.ok() || !b.ok() || a.operations.size() != b.operations.size()) std::abort();
  for (std::size_t i = 0; i < a.operations.size(); ++i) {
    if (!a.operations[i].SameAs(b.operations[i])) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvane::formats;
  RegParseResult first = ParseRegFile(std::span<const std::uint8_t>(data, size));
  if (!first.ok()) {
    if (!first.operations.empty() || first.errorLine < 1) std::abort();
    return 0;
  }
  RegParseResult second = ParseRegFile(WriteRegFile(first.operations));
  if (!second.ok() || second.operations.size() != first.operations.size()) std::abort();
  RegParseResult third = ParseRegFile(WriteRegFile(second.operations));
  ExpectSame(second, third);
  return 0;
}
