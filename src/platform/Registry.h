#pragma once
// The registry functions the registry class needs, with Windows' result codes.
// Text crosses this interface in UTF-8: key and value names, and the data of
// the string types (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ), whose sizes count
// UTF-8 bytes including the terminating NUL(s) exactly as written. Other types
// carry their bytes unchanged. (The Windows back end converts to and from
// UTF-16 at the W functions; the Linux back end is the SQLite registry store.)

#include <cstdint>
#include <functional>
#include <string>

namespace korvane::platform {

using HKey = std::uintptr_t;  // 0: no key

// Predefined root keys (their Windows handle values).
inline constexpr HKey kHKeyClassesRoot = 0x80000000u;
inline constexpr HKey kHKeyCurrentUser = 0x80000001u;
inline constexpr HKey kHKeyLocalMachine = 0x80000002u;
inline constexpr HKey kHKeyUsers = 0x80000003u;

// Result codes (Windows system error codes).
inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorAccessDenied = 5;
inline constexpr long kErrorInvalidHandle = 6;
inline constexpr long kErrorOutOfMemory = 14;
inline constexpr long kErrorInvalidData = 13;
inline constexpr long kErrorInvalidParameter = 87;
inline constexpr long kErrorBadPathname = 161;
inline constexpr long kErrorMoreData = 234;
inline constexpr long kErrorNoMoreItems = 259;
inline constexpr long kErrorKeyDeleted = 1018;
inline constexpr long kErrorRegistryCorrupt = 1015;
inline constexpr long kErrorRegistryIoFailed = 1016;

// Value types.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegDwordBigEndian = 5;
inline constexpr std::uint32_t kRegLink = 6;
inline constexpr std::uint32_t kRegMultiSz = 7;
inline constexpr std::uint32_t kRegQword = 11;

// Access rights.
inline constexpr std::uint32_t kKeyQueryValue = 0x1;
inline constexpr std::uint32_t kKeySetValue = 0x2;
inline constexpr std::uint32_t kKeyCreateSubKey = 0x4;
inline constexpr std::uint32_t kKeyEnumerateSubKeys = 0x8;
inline constexpr std::uint32_t kKeyAllSpecific = 0x3F;
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;

// Opens key\subKey (an empty subKey opens key itself).
long RegOpenKeyEx(HKey key, const std::string& subKey, std::uint32_t access, HKey* result);
// Creates every missing key on the path and opens the last one.
long RegCreateKeyEx(HKey key, const std::string& subKey, std::uint32_t access, HKey* result,
                    bool* created = nullptr);
long RegCloseKey(HKey key);
// data may be null to ask for type and size only. *size: in, the buffer's size;
// out, the bytes needed (kErrorMoreData when the buffer is too small).
long RegQueryValueEx(HKey key, const std::string& valueName, std::uint32_t* type,
                     std::uint8_t* data, std::uint32_t* size);
long RegSetValueEx(HKey key, const std::string& valueName, std::uint32_t type,
                   const std::uint8_t* data, std::uint32_t size);
// Deletes key\subKey; fails when it has sub-keys.
long RegDeleteKey(HKey key, const std::string& subKey);
// Deletes key\subKey with every key and value below it; an empty subKey
// deletes what lies below key and its values, and keeps key. A tree holding a
// key that cannot be deleted (a root key, HKEY_CLASSES_ROOT) is refused with
// kErrorAccessDenied before anything is deleted.
long RegDeleteTree(HKey key, const std::string& subKey);
long RegDeleteValue(HKey key, const std::string& valueName);
// The name of sub-key number index (sub-keys in alphabetical order ignoring
// case). maxChars is the buffer size in characters, terminating NUL included:
// a longer name gives kErrorMoreData. kErrorNoMoreItems past the last one.
long RegEnumKey(HKey key, std::uint32_t index, std::string* name, std::uint32_t maxChars);
// The name of value number index (values in the order first written), with the
// same buffer rule; the default value has the empty name.
long RegEnumValue(HKey key, std::uint32_t index, std::string* name, std::uint32_t maxChars);
struct RegKeyInfo {
  std::uint32_t subKeys = 0;
  std::uint32_t maxSubKeyLen = 0;    // characters, without NUL
  std::uint32_t values = 0;
  std::uint32_t maxValueNameLen = 0; // characters, without NUL
  std::uint32_t maxValueLen = 0;     // bytes
};
long RegQueryInfoKey(HKey key, RegKeyInfo* info);

// Runs body as one change of the registry: when body returns kErrorSuccess
// every change it made stays, otherwise (or when the process dies before body
// returns) none does. Registry calls of other threads wait until it is over.
// Returns body's result, or the failure to begin or to end the change.
long RegRunAsOneChange(const std::function<long()>& body);
// Whether RegRunAsOneChange does group body's changes. The Windows registry
// functions have no such grouping: there body runs, its changes made one by one.
bool RegGroupsChanges();

// Where the registry is kept, as a message names it ("the registry store
// '<file>'" on Linux, the file the environment names whether or not it opens).
std::string RegistryLocation();

// %NAME% references replaced from the environment (unknown names stay as
// written). Returns the size needed in bytes including the terminating NUL; the
// result is written to *out when out is not null.
std::uint32_t ExpandEnvironmentStrings(const std::string& source, std::string* out);

// Linux: the registry store file to use from now on, instead of the one named
// by KORVANE_REGISTRY or the default. Windows has its one registry: no effect.
void UseRegistryStoreFile(const std::string& path);

}  // namespace korvane::platform
