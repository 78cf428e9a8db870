// The registry functions on Linux, answered by the SQLite registry store, or
// by a chosen Wine prefix's registry (read from its files, written through
// Wine). Access rights are accepted and not enforced: the store belongs to
// one user.

#include "platform/Registry.h"

#include <string>

#include "platform/posix/RegistryBackEnd.h"
#include "platform/posix/RegistryStore.h"
#include "platform/posix/WinePrefixRegistry.h"

namespace korvane::platform {

namespace {

// The environment may change between calls (a test, --wineprefix), so the
// back end is looked up for each call, in this one place.
posix::RegistryBackEnd& Chosen() {
  if (!posix::WinePrefixRegistry::ActivePrefix().empty()) return posix::WinePrefixRegistry::Instance();
  return posix::RegistryStore::Instance();
}

}  // namespace

long RegOpenKeyEx(HKey key, const std::string& subKey, std::uint32_t /*access*/, HKey* result) {
  return Chosen().Open(key, subKey, false, result, nullptr);
}

long RegCreateKeyEx(HKey key, const std::string& subKey, std::uint32_t /*access*/, HKey* result,
                    bool* created) {
  return Chosen().Open(key, subKey, true, result, created);
}

long RegCloseKey(HKey key) { return Chosen().Close(key); }

long RegQueryValueEx(HKey key, const std::string& valueName, std::uint32_t* type,
                     std::uint8_t* data, std::uint32_t* size) {
  return Chosen().QueryValue(key, valueName, type, data, size);
}

long RegSetValueEx(HKey key, const std::string& valueName, std::uint32_t type,
                   const std::uint8_t* data, std::uint32_t size) {
  return Chosen().SetValue(key, valueName, type, data, size);
}

long RegDeleteKey(HKey key, const std::string& subKey) { return Chosen().DeleteKey(key, subKey); }

long RegDeleteTree(HKey key, const std::string& subKey) { return Chosen().DeleteTree(key, subKey); }

long RegDeleteValue(HKey key, const std::string& valueName) { return Chosen().DeleteValue(key, valueName); }

long RegEnumKey(HKey key, std::uint32_t index, std::string* name, std::uint32_t maxChars) {
  return Chosen().EnumKey(key, index, name, maxChars);
}

long RegEnumValue(HKey key, std::uint32_t index, std::string* name, std::uint32_t maxChars) {
  return Chosen().EnumValue(key, index, name, maxChars);
}

long RegQueryInfoKey(HKey key, RegKeyInfo* info) { return Chosen().QueryInfo(key, info); }

long RegRunAsOneChange(const std::function<long()>& body) { return Chosen().RunAsOneChange(body); }

bool RegGroupsChanges() { return Chosen().GroupsChanges(); }

std::string RegistryLocation() { return "the registry store '" + posix::RegistryStoreFile() + "'"; }

}  // namespace korvane::platform
