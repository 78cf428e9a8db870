#pragma once
// The content of a registry script (.reg file) as a list of operations, and the
// names of the registry roots such a file and the `reg` command accept.
//
// Value data is held the way the registry functions of this program carry it:
// the string types (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) as UTF-8 bytes with
// their NUL terminators, every other type as its raw bytes (REG_DWORD as four
// little-endian bytes).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/Expected.h"

namespace korvane::formats {

enum class RegRoot { ClassesRoot, CurrentUser, LocalMachine, Users };

// "HKEY_CLASSES_ROOT", ...
const char* RegRootLongName(RegRoot root);
// Accepts the long names and HKCR, HKCU, HKLM, HKU, ignoring letter case.
std::optional<RegRoot> ParseRegRootName(std::string_view name);

// A full key name split into its root and the path below it (components joined
// by single backslashes, no leading or trailing backslash; empty for the root).
struct RegKeyName {
  RegRoot root = RegRoot::CurrentUser;
  std::string path;
  bool operator==(const RegKeyName&) const = default;
};
// "HKCU\Software\x" (a trailing backslash is allowed); kBadKeyName for an
// unknown root, an empty path component, a name too long or a key nested too
// deep for the registry.
Expected<RegKeyName> ParseRegKeyName(std::string_view full);
// The long form, "HKEY_CURRENT_USER\Software\x".
std::string RegKeyFullName(const RegKeyName& key);

enum class RegOpKind { CreateKey, DeleteKey, SetValue, DeleteValue };

struct RegOperation {
  RegOpKind kind = RegOpKind::CreateKey;
  RegKeyName key;
  std::string valueName;             // SetValue/DeleteValue; "" is the default value
  std::uint32_t type = 0;            // SetValue
  std::vector<std::uint8_t> data;    // SetValue
  int line = 0;                      // where it came from in a parsed file (1-based)

  // Equal in effect: the source line is not compared.
  bool SameAs(const RegOperation& other) const {
    return kind == other.kind && key == other.key && valueName == other.valueName &&
           type == other.type && data == other.data;
  }
};

// Registry value types the file syntax treats specially.
inline constexpr std::uint32_t kRegFileSz = 1;
inline constexpr std::uint32_t kRegFileExpandSz = 2;
inline constexpr std::uint32_t kRegFileBinary = 3;
inline constexpr std::uint32_t kRegFileDword = 4;
inline constexpr std::uint32_t kRegFileMultiSz = 7;

// Limits that keep a hostile file from exhausting memory.
// A value's data as stored is limited; its form in the file (UTF-16 for the
// string types, three characters a byte in hex) may be several times larger,
// and the line limit leaves room for what the writer makes of the largest value.
inline constexpr std::size_t kRegFileMaxValueBytes = 1u << 20;     // one value's data as stored
inline constexpr std::size_t kRegFileMaxHexBytes = 4u << 20;       // bytes listed in one hex value
inline constexpr std::size_t kRegFileMaxLineChars = 16u << 20;     // one logical line

// Limits of the registry itself, which the registry functions enforce too.
// Name lengths count UTF-16 units, as Windows counts them (see RegNameLength).
inline constexpr std::size_t kRegMaxKeyNameChars = 255;      // one key name
inline constexpr std::size_t kRegMaxValueNameChars = 16383;  // one value name
// Levels of keys below a root key (HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER,
// HKEY_USERS), as deep as a Windows registry tree can be. HKEY_CLASSES_ROOT is
// HKEY_LOCAL_MACHINE\Software\Classes, so its keys lie two levels deeper.
inline constexpr std::size_t kRegMaxKeyDepth = 512;

// A name's length in UTF-16 units: what it takes once converted for the
// Windows functions, where each bad UTF-8 sequence becomes one U+FFFD. The
// .reg reader and the Linux registry store both measure names with this.
std::size_t RegNameLength(std::string_view name);

}  // namespace korvane::formats
