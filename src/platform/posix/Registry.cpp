// The registry functions on Linux, answered by the SQLite registry store, or
// by a chosen Wine prefix's registry files (read only).
// Access rights are accepted and not enforced: the store belongs to one user.

#include "platform/Registry.h"

#include "platform/posix/RegistryStore.h"
#include "platform/posix/WinePrefixRegistry.h"

namespace korvane::platform {

using posix::RegistryStore;
using posix::WinePrefixRegistry;

namespace {
WinePrefixRegistry* Prefix() {
  return WinePrefixRegistry::ActivePrefix().empty() ? nullptr : &WinePrefixRegistry::Instance();
}
}  // namespace

long RegOpenKeyEx(HKey key, const std::string& subKey, std::uint32_t /*access*/, HKey* result) {
  if (auto* p = Prefix()) return p->Open(key, subKey, false, result, nullptr);
  return RegistryStore::Instance().Open(key, subKey, false, result, nullptr);
}

long RegCreateKeyEx(HKey key, const std::string& subKey, std::uint32_t /*access*/, HKey* result,
                    bool* created) {
  if (auto* p = Prefix()) return p->Open(key, subKey, true, result, created);
  return RegistryStore::Instance().Open(key, subKey, true, result, created);
}

long RegCloseKey(HKey key) {
  if (auto* p = Prefix()) return p->Close(key);
  return RegistryStore::Instance().Close(key);
}

long RegQueryValueEx(HKey key, const std::string& valueName, std::uint32_t* type,
                     std::uint8_t* data, std::uint32_t* size) {
  if (auto* p = Prefix()) return p->QueryValue(key, valueName, type, data, size);
  return RegistryStore::Instance().QueryValue(key, valueName, type, data, size);
}

long RegSetValueEx(HKey key, const std::string& valueName, std::uint32_t type,
                   const std::uint8_t* data, std::uint32_t size) {
  if (auto* p = Prefix()) return p->SetValue(key, valueName, type, data, size);
  return RegistryStore::Instance().SetValue(key, valueName, type, data, size);
}

long RegDeleteKey(HKey key, const std::string& subKey) {
  if (auto* p = Prefix()) return p->DeleteKey(key, subKey);
  return RegistryStore::Instance().DeleteKey(key, subKey);
}

long RegDeleteTree(HKey key, const std::string& subKey) {
  return RegistryStore::Instance().DeleteTree(key, subKey);
}

long RegDeleteValue(HKey key, const std::string& valueName) {
  if (auto* p = Prefix()) return p->DeleteValue(key, valueName);
  return RegistryStore::Instance().DeleteValue(key, valueName);
}

long RegEnumKey(HKey key, std::uint32_t index, std::string* name, std::uint32_t maxChars) {
  if (auto* p = Prefix()) return p->EnumKey(key, index, name, maxChars);
  return RegistryStore::Instance().EnumKey(key, index, name, maxChars);
}

long RegEnumValue(HKey key, std::uint32_t index, std::string* name, std::uint32_t maxChars) {
  if (auto* p = Prefix()) return p->EnumValue(key, index, name, maxChars);
  return RegistryStore::Instance().EnumValue(key, index, name, maxChars);
}

long RegQueryInfoKey(HKey key, RegKeyInfo* info) {
  if (auto* p = Prefix()) return p->QueryInfo(key, info);
  return RegistryStore::Instance().QueryInfo(key, info);
}

long RegRunAsOneChange(const std::function<long()>& body) {
  return RegistryStore::Instance().RunAsOneChange(body);
}

bool RegGroupsChanges() { return true; }

std::string RegistryLocation() { return "the registry store '" + posix::RegistryStoreFile() + "'"; }

}  // namespace korvane::platform
