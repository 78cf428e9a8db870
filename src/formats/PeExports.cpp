// The export directory: functions by ordinal, their names, and forwarders
// (an address inside the directory itself names "OTHER.Function" instead of code).

#include <vector>

#include "formats/PeLayout.h"

namespace korvane::formats::pe {

namespace {

// Offsets inside the export directory.
constexpr std::uint32_t kExpName = 12;
constexpr std::uint32_t kExpOrdinalBase = 16;
constexpr std::uint32_t kExpFunctionCount = 20;
constexpr std::uint32_t kExpNameCount = 24;
constexpr std::uint32_t kExpFunctions = 28;
constexpr std::uint32_t kExpNames = 32;
constexpr std::uint32_t kExpNameOrdinals = 36;

// The RVA of one slot of a table, when the slot does not run past 4 GB.
std::optional<std::uint32_t> InTable(std::uint32_t table, std::uint32_t index, std::uint32_t width) {
  const std::uint64_t at = std::uint64_t{table} + std::uint64_t{index} * width;
  if (at > 0xFFFFFFFFu - width) return std::nullopt;
  return static_cast<std::uint32_t>(at);
}

Error BadExports(const std::string& detail) { return MakeError(ErrorKind::kBadExports, detail); }

// A full name pool stays kTooManyNames; an unreadable name is damage to the directory.
Error Pooled(const Error& error, const std::string& detail) {
  return error.kind == ErrorKind::kTooManyNames ? error : BadExports(detail);
}

}  // namespace

Expected<void> ReadExports(const Layout& layout, PeModuleInfo& info) {
  const PeDataDirectory& dir = layout.Dir(kPeDirectoryExport);
  if (dir.rva == 0) return {};
  const auto nameRva = layout.U32At(dir.rva + kExpName);
  const auto base = layout.U32At(dir.rva + kExpOrdinalBase);
  const auto functionCount = layout.U32At(dir.rva + kExpFunctionCount);
  const auto nameCount = layout.U32At(dir.rva + kExpNameCount);
  const auto functions = layout.U32At(dir.rva + kExpFunctions);
  const auto names = layout.U32At(dir.rva + kExpNames);
  const auto nameOrdinals = layout.U32At(dir.rva + kExpNameOrdinals);
  if (!nameRva || !base || !functionCount || !nameCount || !functions || !names || !nameOrdinals) {
    return BadExports("the directory header");
  }
  if (*functionCount > kMaxExportedFunctions || *nameCount > kMaxExportedFunctions) {
    return MakeError(ErrorKind::kTooManyNames, "exported functions");
  }
  // The module's own name is informative only; an unreadable one stays empty.
  if (*nameRva != 0) info.exportName = layout.NameAt(*nameRva).value_or(std::string());

  // Names point at slots of the address table; slots without a name are
  // exported by ordinal only, and a slot may carry more than one name.
  std::vector<std::vector<std::string_view>> slotNames(*functionCount);
  for (std::uint32_t i = 0; i < *nameCount; ++i) {
    std::optional<std::uint32_t> nameAt;
    std::optional<std::uint16_t> slot;
    if (auto at = InTable(*names, i, 4)) nameAt = layout.U32At(*at);
    if (auto at = InTable(*nameOrdinals, i, 2)) slot = layout.U16At(*at);
    if (!slot || !nameAt) return BadExports("name " + std::to_string(i));
    auto name = layout.PooledNameAt(*nameAt);
    if (!name) return Pooled(name.error(), "name " + std::to_string(i));
    if (*slot >= *functionCount) return BadExports("name " + std::to_string(i) + " names no function");
    slotNames[*slot].push_back(*name);
  }
  for (std::uint32_t slot = 0; slot < *functionCount; ++slot) {
    std::optional<std::uint32_t> address;
    if (auto at = InTable(*functions, slot, 4)) address = layout.U32At(*at);
    if (!address) return BadExports("function " + std::to_string(slot));
    if (*address == 0) continue;  // an unused ordinal
    ExportedFunction f;
    f.ordinal = *base + slot;
    if (*address >= dir.rva && *address - dir.rva < dir.size) {
      auto forwarder = layout.PooledNameAt(*address);
      if (!forwarder) return Pooled(forwarder.error(), "the forwarder of function " + std::to_string(slot));
      f.forwarder = *forwarder;
    }
    if (slotNames[slot].empty()) {
      info.exports.push_back(f);
      continue;
    }
    for (std::string_view name : slotNames[slot]) {
      f.name = name;
      info.exports.push_back(f);
    }
  }
  return {};
}

}  // namespace korvane::formats::pe
