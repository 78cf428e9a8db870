#include "formats/PeImports.h"

#include <cstdio>
#include <cstring>

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

// Walks one lookup table (thunks of 4 or 8 bytes, ended by a zero thunk).
PeModuleError ReadThunks(const Layout& layout, std::uint32_t table, std::size_t& total,
                         ImportedModule& module) {
  const std::uint32_t width = layout.Is64() ? 8 : 4;
  const std::uint64_t ordinalFlag = layout.Is64() ? (std::uint64_t{1} << 63) : 0x80000000u;
  for (std::uint64_t at = table;; at += width) {
    if (at > 0xFFFFFFFFu - width) return PeModuleError::kBadImports;
    std::uint64_t thunk = 0;
    if (layout.Is64()) {
      if (!layout.U64At(static_cast<std::uint32_t>(at), thunk)) return PeModuleError::kBadImports;
    } else {
      std::uint32_t t32 = 0;
      if (!layout.U32At(static_cast<std::uint32_t>(at), t32)) return PeModuleError::kBadImports;
      thunk = t32;
    }
    if (thunk == 0) return PeModuleError::kOk;
    if (++total > kMaxImportedFunctions) return PeModuleError::kTooMany;
    ImportedFunction f;
    if (thunk & ordinalFlag) {
      f.byOrdinal = true;
      f.ordinal = static_cast<std::uint16_t>(thunk & 0xFFFF);
    } else {
      const auto hintRva = static_cast<std::uint32_t>(thunk & 0x7FFFFFFF);
      if (!layout.U16At(hintRva, f.ordinal) || hintRva > 0xFFFFFFFFu - kHintSize ||
          !layout.NameAt(hintRva + kHintSize, f.name)) {
        return PeModuleError::kBadImports;
      }
    }
    module.functions.push_back(std::move(f));
  }
}

}  // namespace

PeModuleError ReadImports(const Layout& layout, PeModuleInfo& info) {
  const Directory& dir = layout.Dir(kDirImport);
  if (dir.rva == 0) return PeModuleError::kOk;
  std::size_t total = 0;
  for (std::uint64_t at = dir.rva;; at += kImpDescriptorSize) {
    if (at > 0xFFFFFFFFu - kImpDescriptorSize) return PeModuleError::kBadImports;
    const auto d = static_cast<std::uint32_t>(at);
    std::uint32_t nameTable = 0, name = 0, addressTable = 0;
    if (!layout.U32At(d + kImpNameTable, nameTable) || !layout.U32At(d + kImpName, name) ||
        !layout.U32At(d + kImpAddressTable, addressTable)) {
      return PeModuleError::kBadImports;
    }
    // The loader stops at the first descriptor without a name or an address table.
    if (name == 0 || addressTable == 0) return PeModuleError::kOk;
    if (info.imports.size() >= kMaxImportedModules) return PeModuleError::kTooMany;
    ImportedModule module;
    if (!layout.NameAt(name, module.dllName)) return PeModuleError::kBadImports;
    // Bound images may overwrite the address table; the name table is the original.
    const PeModuleError e =
        ReadThunks(layout, nameTable != 0 ? nameTable : addressTable, total, module);
    info.imports.push_back(std::move(module));
    if (e != PeModuleError::kOk) return e;
  }
}

PeModuleError ReadDelayImports(const Layout& layout, PeModuleInfo& info) {
  const Directory& dir = layout.Dir(kDirDelayImport);
  if (dir.rva == 0) return PeModuleError::kOk;
  std::size_t total = 0;
  for (const ImportedModule& m : info.imports) total += m.functions.size();
  for (std::uint64_t at = dir.rva;; at += kDelayDescriptorSize) {
    if (at > 0xFFFFFFFFu - kDelayDescriptorSize) return PeModuleError::kBadImports;
    const auto d = static_cast<std::uint32_t>(at);
    std::uint32_t attributes = 0, name = 0, addressTable = 0, nameTable = 0;
    if (!layout.U32At(d + kDelayAttributes, attributes) || !layout.U32At(d + kDelayName, name) ||
        !layout.U32At(d + kDelayAddressTable, addressTable) ||
        !layout.U32At(d + kDelayNameTable, nameTable)) {
      return PeModuleError::kBadImports;
    }
    if (name == 0) return PeModuleError::kOk;
    if (info.imports.size() >= kMaxImportedModules) return PeModuleError::kTooMany;
    // Old linkers wrote virtual addresses instead of RVAs.
    if ((attributes & kDelayRvaBased) == 0) {
      const std::uint64_t base = layout.ImageBase();
      auto toRva = [base](std::uint32_t& va) {
        if (va == 0) return true;
        if (va < base || va - base > 0xFFFFFFFFu) return false;
        va = static_cast<std::uint32_t>(va - base);
        return true;
      };
      if (!toRva(name) || !toRva(nameTable)) return PeModuleError::kBadImports;
    }
    ImportedModule module;
    module.delayLoaded = true;
    if (!layout.NameAt(name, module.dllName)) return PeModuleError::kBadImports;
    PeModuleError e = PeModuleError::kOk;
    if (nameTable != 0) e = ReadThunks(layout, nameTable, total, module);
    info.imports.push_back(std::move(module));
    if (e != PeModuleError::kOk) return e;
  }
}

}  // namespace pe

bool PeMemoryBytes::Read(std::uint64_t offset, void* dst, std::size_t length) const {
  if (offset > bytes_.size() || length > bytes_.size() - offset) return false;
  if (length > 0) std::memcpy(dst, bytes_.data() + offset, length);
  return true;
}

const char* PeModuleErrorText(PeModuleError error) {
  switch (error) {
    case PeModuleError::kOk: return "";
    case PeModuleError::kCannotRead: return "the file cannot be read";
    case PeModuleError::kNotPe: return "not a PE image";
    case PeModuleError::kBadHeaders: return "malformed PE headers or section table";
    case PeModuleError::kBadImports: return "malformed import directory";
    case PeModuleError::kBadExports: return "malformed export directory";
    case PeModuleError::kTooMany: return "more imports or exports than the reader accepts";
  }
  return "unknown error";
}

PeModuleError ReadPeModule(const PeByteSource& bytes, PeModuleInfo& info, PeModuleParts parts) {
  info = PeModuleInfo{};
  pe::Layout layout(bytes);
  PeModuleError e = layout.ReadHeaders(info);
  if (e != PeModuleError::kOk || parts == PeModuleParts::kHeadersOnly) return e;
  // Every directory is read even after another one failed; the first fault is reported.
  const PeModuleError results[] = {pe::ReadImports(layout, info), pe::ReadDelayImports(layout, info),
                                   pe::ReadExports(layout, info)};
  for (PeModuleError r : results) {
    if (r != PeModuleError::kOk) return r;
  }
  return PeModuleError::kOk;
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
