// The registry functions on Linux, answered by the SQLite registry store.
// Access rights are accepted and not enforced: the store belongs to one user.

#include "platform/Registry.h"

#include "platform/posix/RegistryStore.h"

namespace korvane::platform {

using posix::RegistryStore;

long RegOpenKeyEx(HKey key, const std::string& subKey, std::uint32_t /*access*/, HKey* result) {
  return RegistryStore::Instance().Open(key, subKey, false, result, nullptr);
}

long RegCreateKeyEx(HKey key, const std::string& subKey, std::uint32_t /*access*/, HKey* result,
                    bool* created) {
  return RegistryStore::Instance().Open(key, subKey, true, result, created);
}

long RegCloseKey(HKey key) { return RegistryStore::Instance().Close(key); }

long RegQueryValueEx(HKey key, const std::string& valueName, std::uint32_t* type,
                     std::uint8_t* data, std::uint32_t* size) {
  return RegistryStore::Instance().QueryValue(key, valueName, type, data, size);
}

long RegSetValueEx(HKey key, const std::string& valueName, std::uint32_t type,
                   const std::uint8_t* data, std::uint32_t size) {
  return RegistryStore::Instance().SetValue(key, valueName, type, data, size);
}

long RegDeleteKey(HKey key, const std::string& subKey) {
  return RegistryStore::Instance().DeleteKey(key, subKey);
}

long RegDeleteTree(HKey key, const std::string& subKey) {
  return RegistryStore::Instance().DeleteTree(key, subKey);
}

long RegDeleteValue(HKey key, const std::string& valueName) {
  return RegistryStore::Instance().DeleteValue(key, valueName);
}

long RegEnumKey(HKey key, std::uint32_t index, std::string* name, std::uint32_t maxChars) {
  return RegistryStore::Instance().EnumKey(key, index, name, maxChars);
}

long RegEnumValue(HKey key, std::uint32_t index, std::string* name, std::uint32_t maxChars) {
  return RegistryStore::Instance().EnumValue(key, index, name, maxChars);
}

long RegQueryInfoKey(HKey key, RegKeyInfo* info) {
  return RegistryStore::Instance().QueryInfo(key, info);
}

long RegRunAsOneChange(const std::function<long()>& body) {
  return RegistryStore::Instance().RunAsOneChange(body);
}

bool RegGroupsChanges() { return true; }

std::string RegistryLocation() { return "the registry store '" + posix::RegistryStoreFile() + "'"; }

}  // namespace korvane::platform
