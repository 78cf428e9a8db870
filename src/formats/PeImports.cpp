#include "formats/PeImports.h"

#include <cstdio>
#include <unordered_map>

#include "formats/PeLayout.h"

namespace korvane::formats {

namespace pe {

namespace {

// Offsets inside one import descriptor.
constexpr std::uint32_t kImpNameTable = 0;   // OriginalFirstThunk
constexpr std::uint32_t kImpName = 12;
constexpr std::uint32_t kImpAddressTable = 16;  // FirstThunk
constexpr std::uint32_t kImpDescriptorSize = 20;

// Offsets inside one delay-import descriptor.
constexpr std::uint32_t kDelayAttributes = 0;
constexpr std::uint32_t kDelayName = 4;
constexpr std::uint32_t kDelayAddressTable = 12;
constexpr std::uint32_t kDelayNameTable = 16;
constexpr std::uint32_t kDelayDescriptorSize = 32;
constexpr std::uint32_t kDelayRvaBased = 1;

constexpr std::uint32_t kHintSize = 2;

Error BadImports(const std::string& detail) { return MakeError(ErrorKind::kBadImports, detail); }
Error TooMany(const std::string& detail) { return MakeError(ErrorKind::kTooManyNames, detail); }

// Walks one lookup table (thunks of 4 or 8 bytes, ended by a zero thunk).
Expected<void> ReadThunks(const Layout& layout, std::uint32_t table, std::size_t& total,
                          ImportedModule& module) {
  const std::uint32_t width = layout.Is64() ? 8 : 4;
  const std::uint64_t ordinalFlag = layout.Is64() ? (std::uint64_t{1} << 63) : 0x80000000u;
  for (std::uint64_t at = table;; at += width) {
    if (at > 0xFFFFFFFFu - width) return BadImports("lookup table of " + module.dllName);
    const auto rva = static_cast<std::uint32_t>(at);
    std::optional<std::uint64_t> thunk;
    if (layout.Is64()) {
      thunk = layout.U64At(rva);
    } else if (const auto narrow = layout.U32At(rva)) {
      thunk = *narrow;
    }
    if (!thunk) return BadImports("lookup table of " + module.dllName);
    if (*thunk == 0) return {};
    if (++total > kMaxImportedFunctions) return TooMany("imported functions");
    ImportedFunction f;
    if (*thunk & ordinalFlag) {
      f.byOrdinal = true;
      f.ordinal = static_cast<std::uint16_t>(*thunk & 0xFFFF);
    } else {
      const auto hintRva = static_cast<std::uint32_t>(*thunk & 0x7FFFFFFF);
      const auto hint = layout.U16At(hintRva);
      if (!hint || hintRva > 0xFFFFFFFFu - kHintSize) return BadImports("hint of an import of " + module.dllName);
      auto name = layout.PooledNameAt(hintRva + kHintSize);
      if (!name) {
        if (name.error().kind == ErrorKind::kTooManyNames) return name.error();
        return BadImports("name of an import of " + module.dllName);
      }
      f.ordinal = *hint;
      f.name = *name;
    }
    module.functions.push_back(f);
  }
}

// Lookup tables read so far, by RVA: the index of the module that holds the
// table's functions. Descriptors may share one table; it is walked once.
using TableIndex = std::unordered_map<std::uint32_t, std::size_t>;

Expected<void> ReadTable(const Layout& layout, std::uint32_t table, std::size_t& total, TableIndex& tables,
                         const PeModuleInfo& info, ImportedModule& module) {
  if (const auto read = tables.find(table); read != tables.end()) {
    const std::vector<ImportedFunction>& functions = info.imports[read->second].functions;
    if (functions.size() > kMaxImportedFunctions - total) return TooMany("imported functions");
    total += functions.size();
    module.functions = functions;
    return {};
  }
  auto thunks = ReadThunks(layout, table, total, module);
  if (thunks) tables.emplace(table, info.imports.size());  // the module's place once added
  return thunks;
}

}  // namespace

Expected<void> ReadImports(const Layout& layout, PeModuleInfo& info) {
  const PeDataDirectory& dir = layout.Dir(kPeDirectoryImport);
  if (dir.rva == 0) return {};
  std::size_t total = 0;
  TableIndex tables;
  for (std::uint64_t at = dir.rva;; at += kImpDescriptorSize) {
    if (at > 0xFFFFFFFFu - kImpDescriptorSize) return BadImports("descriptor table");
    const auto d = static_cast<std::uint32_t>(at);
    const auto nameTable = layout.U32At(d + kImpNameTable);
    const auto name = layout.U32At(d + kImpName);
    const auto addressTable = layout.U32At(d + kImpAddressTable);
    if (!nameTable || !name || !addressTable) return BadImports("descriptor at " + std::to_string(d));
    // The loader stops at the first descriptor without a name or an address table.
    if (*name == 0 || *addressTable == 0) return {};
    if (info.imports.size() >= kMaxImportedModules) return TooMany("imported modules");
    ImportedModule module;
    auto dllName = layout.NameAt(*name);
    if (!dllName) return BadImports("module name at " + std::to_string(*name));
    module.dllName = std::move(*dllName);
    // Bound images may overwrite the address table; the name table is the original.
    auto thunks = ReadTable(layout, *nameTable != 0 ? *nameTable : *addressTable, total, tables, info, module);
    info.imports.push_back(std::move(module));
    if (!thunks) return thunks;
  }
}

Expected<void> ReadDelayImports(const Layout& layout, PeModuleInfo& info) {
  const PeDataDirectory& dir = layout.Dir(kPeDirectoryDelayImport);
  if (dir.rva == 0) return {};
  std::size_t total = 0;
  for (const ImportedModule& m : info.imports) total += m.functions.size();
  TableIndex tables;
  for (std::uint64_t at = dir.rva;; at += kDelayDescriptorSize) {
    if (at > 0xFFFFFFFFu - kDelayDescriptorSize) return BadImports("delay descriptor table");
    const auto d = static_cast<std::uint32_t>(at);
    const auto attributes = layout.U32At(d + kDelayAttributes);
    auto name = layout.U32At(d + kDelayName);
    const auto addressTable = layout.U32At(d + kDelayAddressTable);
    auto nameTable = layout.U32At(d + kDelayNameTable);
    if (!attributes || !name || !addressTable || !nameTable) {
      return BadImports("delay descriptor at " + std::to_string(d));
    }
    if (*name == 0) return {};
    if (info.imports.size() >= kMaxImportedModules) return TooMany("imported modules");
    // Old linkers wrote virtual addresses instead of RVAs.
    if ((*attributes & kDelayRvaBased) == 0) {
      const std::uint64_t base = layout.ImageBase();
      auto toRva = [base](std::uint32_t& va) {
        if (va == 0) return true;
        if (va < base || va - base > 0xFFFFFFFFu) return false;
        va = static_cast<std::uint32_t>(va - base);
        return true;
      };
      if (!toRva(*name) || !toRva(*nameTable)) return BadImports("delay descriptor at " + std::to_string(d));
    }
    ImportedModule module;
    module.delayLoaded = true;
    auto dllName = layout.NameAt(*name);
    if (!dllName) return BadImports("delay-loaded module name at " + std::to_string(*name));
    module.dllName = std::move(*dllName);
    Expected<void> thunks;
    if (*nameTable != 0) thunks = ReadTable(layout, *nameTable, total, tables, info, module);
    info.imports.push_back(std::move(module));
    if (!thunks) return thunks;
  }
}

}  // namespace pe

Expected<PeModuleInfo> ReadPeModule(const PeImage& image, PeModuleParts parts) {
  const PeHeaders& h = image.Headers();
  if (!h.hasWindowsFields) return MakeError(ErrorKind::kBadHeaders, "the optional header is too short");
  PeModuleInfo info;
  info.machine = h.machine;
  info.is64 = h.is64;
  info.subsystem = h.subsystem;
  info.characteristics = h.characteristics;
  info.isDll = (h.characteristics & pe::kCharacteristicDll) != 0;
  if (parts == PeModuleParts::kHeadersOnly) return info;
  // Every directory is read even after another one failed; the first fault is kept.
  auto names = std::make_shared<NamePool>();
  const pe::Layout layout(image, *names);
  Expected<void> results[] = {pe::ReadImports(layout, info), pe::ReadDelayImports(layout, info),
                              pe::ReadExports(layout, info)};
  info.names = std::move(names);
  for (const Expected<void>& r : results) {
    if (!r) {
      info.damage = r.error();
      break;
    }
  }
  return info;
}

Expected<PeModuleInfo> ReadPeModule(std::shared_ptr<const ByteSource> source, PeModuleParts parts) {
  auto image = PeImage::Open(std::move(source));
  if (!image) return image.error();
  return ReadPeModule(*image, parts);
}

Expected<PeModuleInfo> ReadPeModule(std::span<const std::uint8_t> bytes, PeModuleParts parts) {
  auto image = PeImage::FromBytes(bytes);
  if (!image) return image.error();
  return ReadPeModule(*image, parts);
}

std::string MachineName(std::uint16_t machine) {
  switch (machine) {
    case kMachineI386: return "x86";
    case kMachineAmd64: return "x64";
    case kMachineArmNt: return "ARM";
    case kMachineArm64: return "ARM64";
  }
  char text[24];
  std::snprintf(text, sizeof text, "machine 0x%04X", machine);
  return text;
}

}  // namespace korvane::formats
