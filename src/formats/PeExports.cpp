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

bool InTable(std::uint32_t table, std::uint32_t index, std::uint32_t width, std::uint32_t& rva) {
  const std::uint64_t at = std::uint64_t{table} + std::uint64_t{index} * width;
  if (at > 0xFFFFFFFFu - width) return false;
  rva = static_cast<std::uint32_t>(at);
  return true;
}

}  // namespace

PeModuleError ReadExports(const Layout& layout, PeModuleInfo& info) {
  const Directory& dir = layout.Dir(kDirExport);
  if (dir.rva == 0) return PeModuleError::kOk;
  std::uint32_t nameRva = 0, base = 0, functionCount = 0, nameCount = 0;
  std::uint32_t functions = 0, names = 0, nameOrdinals = 0;
  if (!layout.U32At(dir.rva + kExpName, nameRva) || !layout.U32At(dir.rva + kExpOrdinalBase, base) ||
      !layout.U32At(dir.rva + kExpFunctionCount, functionCount) ||
      !layout.U32At(dir.rva + kExpNameCount, nameCount) ||
      !layout.U32At(dir.rva + kExpFunctions, functions) || !layout.U32At(dir.rva + kExpNames, names) ||
      !layout.U32At(dir.rva + kExpNameOrdinals, nameOrdinals)) {
    return PeModuleError::kBadExports;
  }
  if (functionCount > kMaxExportedFunctions || nameCount > kMaxExportedFunctions) {
    return PeModuleError::kTooMany;
  }
  // The module's own name is informative only; an unreadable one stays empty.
  if (nameRva != 0 && !layout.NameAt(nameRva, info.exportName)) info.exportName.clear();

  // Names point at slots of the address table; slots without a name are
  // exported by ordinal only, and a slot may carry more than one name.
  std::vector<std::vector<std::string>> slotNames(functionCount);
  for (std::uint32_t i = 0; i < nameCount; ++i) {
    std::uint32_t at = 0, nameAt = 0;
    std::uint16_t slot = 0;
    std::string name;
    if (!InTable(names, i, 4, at) || !layout.U32At(at, nameAt) || !InTable(nameOrdinals, i, 2, at) ||
        !layout.U16At(at, slot) || !layout.NameAt(nameAt, name)) {
      return PeModuleError::kBadExports;
    }
    if (slot >= functionCount) return PeModuleError::kBadExports;
    slotNames[slot].push_back(std::move(name));
  }
  for (std::uint32_t slot = 0; slot < functionCount; ++slot) {
    std::uint32_t at = 0, address = 0;
    if (!InTable(functions, slot, 4, at) || !layout.U32At(at, address)) return PeModuleError::kBadExports;
    if (address == 0) continue;  // an unused ordinal
    ExportedFunction f;
    f.ordinal = base + slot;
    if (address >= dir.rva && address - dir.rva < dir.size && !layout.NameAt(address, f.forwarder)) {
      return PeModuleError::kBadExports;
    }
    if (slotNames[slot].empty()) {
      info.exports.push_back(std::move(f));
      continue;
    }
    for (std::string& name : slotNames[slot]) {
      f.name = std::move(name);
      info.exports.push_back(f);
    }
  }
  return PeModuleError::kOk;
}

}  // namespace korvane::formats::pe
