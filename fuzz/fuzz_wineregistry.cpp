// The reader of Wine's registry files on arbitrary bytes: it never crashes,
// refuses as a whole with a line number, and what it accepts keeps its limits.
// What it accepts also makes a hive in which every key is found again by its
// names, and whose sub-keys come in strictly rising folded order.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "formats/WineRegistryFile.h"
#include "platform/posix/RegistryNames.h"
#include "platform/posix/WineHive.h"

namespace {

using korvane::platform::posix::WineHive;
using korvane::platform::posix::WineKey;

// Every level below key, depth first; aborts on names out of order.
void CheckOrder(const WineHive& hive, const WineKey& key, int depth) {
  std::string_view last;
  bool first = true;
  for (std::uint32_t at = hive.FirstChild(key); at < key.end; at = hive.NextChild(key, at)) {
    const std::string_view name = hive.ChildFold(key, at);
    if (name.empty() || (!first && !(last < name))) std::abort();
    first = false;
    last = name;
    const WineKey child = hive.Child(key, name);
    if (!child.Exists() || child.first != at) std::abort();
    if (depth < 8) CheckOrder(hive, child, depth + 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvane::formats;
  const Expected<WineRegistryFile> r = ParseWineRegistryFile(std::span<const std::uint8_t>(data, size));
  if (!r) {
    if (r.error().line < 1 || r.error().message.empty()) std::abort();
    return 0;
  }
  if (r->keys.size() > kWineRegMaxKeys) std::abort();
  for (const WineRegKey& key : r->keys) {
    if (key.path.empty() || key.path.size() > kWineRegMaxDepth) std::abort();
    for (const auto& name : key.path) {
      if (name.empty()) std::abort();
    }
    for (const WineRegValue& value : key.values) {
      if (value.data.size() > kWineRegMaxValueBytes) std::abort();
    }
  }
  WineHive hive;
  if (!hive.Add(std::span<const std::uint8_t>(data, size), "")) std::abort();
  hive.Finish();
  for (const WineRegKey& key : r->keys) {
    WineKey k = hive.Root();
    for (const auto& name : key.path) k = hive.Child(k, korvane::platform::posix::FoldName(name));
    if (!k.Exists()) std::abort();
  }
  CheckOrder(hive, hive.Root(), 0);
  return 0;
}
