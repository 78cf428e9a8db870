// The registry functions on Linux, answered by the SQLite registry store, or
// by a chosen Wine prefix's registry files (read only).
// Access rights are accepted and not enforced: the store belongs to one user.

#include "platform/Registry.h"

#include <string>
#include <vector>

#include "formats/RegFile.h"
#include "platform/posix/RegistryNames.h"
#include "platform/posix/RegistryStore.h"
#include "platform/posix/WinePrefixRegistry.h"

namespace korvane::platform {

using posix::RegistryStore;
using posix::WinePrefixRegistry;

namespace {

WinePrefixRegistry* Prefix() {
  return WinePrefixRegistry::ActivePrefix().empty() ? nullptr : &WinePrefixRegistry::Instance();
}

// Whether deleting subKey's tree below key would take a root or the classes
// key with it (the same keys the store protects).
bool TreeHoldsProtectedKey(HKey key, const std::string& subKey) {
  std::string path = posix::FoldName(subKey);
  while (!path.empty() && path.back() == '\\') path.pop_back();
  if (path.empty()) return true;
  return key == kHKeyLocalMachine && (path == posix::FoldName("Software") ||
                                      path == posix::FoldName("Software\\Classes"));
}

// A prefix's writes are planned and applied through Wine later, so its tree
// delete is the deletes of the tree's keys, deepest first, once nothing in it
// is protected.
long DeletePrefixTree(WinePrefixRegistry& prefix, HKey key, const std::string& subKey) {
  HKey top = 0;
  long rc = prefix.Open(key, subKey, false, &top, nullptr);
  if (rc != kErrorSuccess) return rc;
  std::vector<std::string> children;
  for (std::uint32_t i = 0;; ++i) {
    std::string name;
    if (prefix.EnumKey(top, i, &name, formats::kRegMaxKeyNameChars + 1) != kErrorSuccess) break;
    children.push_back(name);
  }
  for (const std::string& child : children) {
    rc = DeletePrefixTree(prefix, top, child);
    if (rc != kErrorSuccess) break;
  }
  prefix.Close(top);
  if (rc != kErrorSuccess) return rc;
  return prefix.DeleteKey(key, subKey);
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
  if (auto* p = Prefix()) {
    if (TreeHoldsProtectedKey(key, subKey)) return kErrorAccessDenied;
    return DeletePrefixTree(*p, key, subKey);
  }
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
  // A prefix's changes are applied by Wine's own registry, one by one.
  if (Prefix() != nullptr) return body();
  return RegistryStore::Instance().RunAsOneChange(body);
}

bool RegGroupsChanges() { return Prefix() == nullptr; }

std::string RegistryLocation() { return "the registry store '" + posix::RegistryStoreFile() + "'"; }

}  // namespace korvane::platform
