#pragma once
// Reads the registry files of a Wine prefix (system.reg, user.reg,
// userdef.reg): the text wineserver saves its hives in.
//
//   WINE REGISTRY Version 2
//   ;; All keys relative to REGISTRY\\Machine
//   #arch=win64
//   [Software\\Classes\\.txt] 1796651114
//   #time=1dd86512fddd8f4
//   @="txtfile"
//   "Name"=str(2):"%SystemRoot%\\x"
//   "Bits"=hex:01,02,\ (continued)
//     03
//
// Key names and quoted strings use C-like escapes (\\ \" \[ \] \n \t ...,
// octal \NNN, \xNNNN for one UTF-16 unit). Nothing in the file is trusted:
// every length and count is checked against the named limits below, and a
// malformed file gives an error naming its line instead of a partial result
// (kBadWineRegistry, or kTooLarge for a file over the size limit).
//
// Value data is returned as this program's registry interface carries it: the
// string types (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) as UTF-8 with their NUL
// terminator(s), every other type as its raw bytes.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "formats/Expected.h"

namespace korvane::formats {

inline constexpr std::size_t kWineRegMaxFileBytes = 512u << 20;   // one whole file
inline constexpr std::size_t kWineRegMaxLineChars = 16u << 20;    // one logical line
inline constexpr std::size_t kWineRegMaxValueBytes = 4u << 20;    // one value's data
inline constexpr std::size_t kWineRegMaxKeys = 4'000'000;         // keys in one file
inline constexpr std::size_t kWineRegMaxValues = 16'000'000;      // values in one file
inline constexpr std::size_t kWineRegMaxDepth = 512;              // names in one key path
inline constexpr std::size_t kWineRegMaxKeyName = 255;            // UTF-16 units of one key name
inline constexpr std::size_t kWineRegMaxValueName = 16383;        // UTF-16 units of a value name

struct WineRegValue {
  std::string name;                // "" for the default value (written @)
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};

struct WineRegKey {
  std::vector<std::string> path;   // key names below the file's root, unescaped
  std::vector<WineRegValue> values;
  bool link = false;               // marked #link: its SymbolicLinkValue names the target
  int line = 0;
};

struct WineRegistryFile {
  std::string relativeTo;          // "REGISTRY\Machine", "REGISTRY\User\S-1-5-...", unescaped
  std::string arch;                // "win32", "win64", or "" when the file does not say
  std::vector<WineRegKey> keys;    // in file order
};

// The file's keys; an error's message is "line N: what is wrong", its line N.
Expected<WineRegistryFile> ParseWineRegistryFile(std::span<const std::uint8_t> bytes);

// The same reading handed over part by part, in file order, for a reader that
// keeps the keys in a form of its own instead of one object per name.
class WineRegistrySink {
 public:
  virtual ~WineRegistrySink() = default;
  virtual void Root(std::string relativeTo) = 0;  // the "All keys relative to" line
  virtual void Arch(std::string arch) = 0;
  // A key: its names (each checked as WineRegKey::path's) joined by backslashes.
  virtual void Key(std::string path, int line) = 0;
  virtual void Link() = 0;                         // the key given last is a link
  virtual void Value(WineRegValue value) = 0;      // a value of the key given last
};

// Reads the file into sink; the errors are ParseWineRegistryFile's. On an
// error the sink may hold part of the file: the caller throws it away.
Expected<void> ReadWineRegistryFile(std::span<const std::uint8_t> bytes, WineRegistrySink& sink);

// Only the root the file's keys are relative to ("" when it names none), read
// from the lines before its first key.
std::string WineRegistryRoot(std::span<const std::uint8_t> bytes);

}  // namespace korvane::formats
