#pragma once
// What a PE image needs from other modules and offers to them: the machine,
// subsystem and DLL flag of its headers, the import directory (normal and
// delay-loaded) and the export directory with its forwarders.
//
// Read from an opened PeImage; nothing read from the image is trusted.
// Counts and name lengths are capped by the limits below, and a damaged
// directory leaves what was read before the damage in place, with damage
// saying which directory was damaged.
//
// Names of imported and exported functions are read once per address and
// shared: entries hold views into the module's name pool, which every copy of
// the PeModuleInfo keeps alive. (Many thunks or export slots may point at one
// name; copying it for each would let a small file claim gigabytes.)

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "formats/ByteSource.h"
#include "formats/Expected.h"
#include "formats/PeImage.h"

namespace korvane::formats {

// Limits far above what real images carry; they bound time and memory.
inline constexpr std::size_t kMaxImportedModules = 1024;
inline constexpr std::size_t kMaxImportedFunctions = 1u << 16;  // over all modules
inline constexpr std::size_t kMaxExportedFunctions = 1u << 16;  // ordinals are 16-bit
inline constexpr std::size_t kMaxImportNameLength = 1024;
// All the function names one module's pool may hold, imports and exports
// together (kTooManyNames beyond; real modules hold well under 1 MiB).
inline constexpr std::size_t kMaxModuleNameBytes = std::size_t{4} << 20;

// Machine types of the COFF header.
inline constexpr std::uint16_t kMachineI386 = 0x014C;
inline constexpr std::uint16_t kMachineAmd64 = 0x8664;
inline constexpr std::uint16_t kMachineArmNt = 0x01C4;
inline constexpr std::uint16_t kMachineArm64 = 0xAA64;

// Subsystems of the optional header.
inline constexpr std::uint16_t kSubsystemWindowsGui = 2;
inline constexpr std::uint16_t kSubsystemWindowsConsole = 3;

// The function names read from one image, each kept once by its address.
class NamePool {
 public:
  // The name kept for rva, or nullptr when none is kept yet.
  const std::string* Find(std::uint32_t rva) const;
  // Keeps name for rva; kTooManyNames when the pool would pass kMaxModuleNameBytes.
  Expected<std::string_view> Keep(std::uint32_t rva, std::string name);
  // The bytes of all names kept.
  std::size_t Bytes() const { return bytes_; }

 private:
  std::unordered_map<std::uint32_t, std::string> byRva_;  // nodes never move: views stay valid
  std::size_t bytes_ = 0;
};

struct ImportedFunction {
  std::string_view name;       // in the module's pool; empty when imported by ordinal
  std::uint16_t ordinal = 0;   // the ordinal when byOrdinal, else the name's hint
  bool byOrdinal = false;
};

struct ImportedModule {
  std::string dllName;         // as written in the image
  bool delayLoaded = false;
  std::vector<ImportedFunction> functions;
};

struct ExportedFunction {
  std::string_view name;       // in the module's pool; empty for an export by ordinal only
  std::uint32_t ordinal = 0;   // the biased ordinal importers use
  std::string_view forwarder;  // "OTHER.Function" or "OTHER.#12"; empty when code
};

struct PeModuleInfo {
  std::uint16_t machine = 0;
  bool is64 = false;           // PE32+
  std::uint16_t subsystem = 0;
  std::uint16_t characteristics = 0;
  bool isDll = false;
  std::vector<ImportedModule> imports;  // normal imports first, then delay-loaded
  std::string exportName;               // the export directory's own module name
  std::vector<ExportedFunction> exports;
  // The names the entries above point into; shared by every copy.
  std::shared_ptr<const NamePool> names;
  // The first fault met in the import, delay-import or export directory
  // (kBadImports, kBadExports, kTooManyNames); what precedes it is kept.
  std::optional<Error> damage;
};

enum class PeModuleParts { kHeadersOnly, kAll };

// Reads the headers and, with kAll, the import, delay-import and export
// directories. An error only when the headers cannot be read (kNotPe,
// kBadHeaders, or the source's own read error); damage further on is kept
// in the result's damage.
Expected<PeModuleInfo> ReadPeModule(const PeImage& image, PeModuleParts parts = PeModuleParts::kAll);
Expected<PeModuleInfo> ReadPeModule(std::shared_ptr<const ByteSource> source,
                                    PeModuleParts parts = PeModuleParts::kAll);
// The same from bytes in memory (copied).
Expected<PeModuleInfo> ReadPeModule(std::span<const std::uint8_t> bytes,
                                    PeModuleParts parts = PeModuleParts::kAll);

// "x86", "x64", "ARM", "ARM64", or "machine 0x...." for others.
std::string MachineName(std::uint16_t machine);

}  // namespace korvane::formats
