#pragma once
// Every registry test starts on a store file of its own, in a fresh folder.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "platform/posix/RegistryStore.h"
#include "support/TempDir.h"
#include "support/UserFolders.h"

namespace korvane::test {

class FreshStore : public ::testing::Test {
 protected:
  FreshStore()
      : storeFile_(dir_.File("registry.db")),
        env_(std::make_unique<ScopedEnv>("KORVANE_REGISTRY", storeFile_)),
        folders_(std::make_unique<ScopedUserFolders>(dir_.path().string())) {}
  ~FreshStore() override { platform::posix::RegistryStore::Instance().Reset(); }

  const std::string& StoreFile() const { return storeFile_; }
  const TempDir& Dir() const { return dir_; }

 private:
  TempDir dir_;
  std::string storeFile_;
  std::unique_ptr<ScopedEnv> env_;
  std::unique_ptr<ScopedUserFolders> folders_;  // the file managers' actions go here
};

// Small helpers over the platform functions, for arranging and checking.
inline std::vector<std::uint8_t> Bytes(const std::string& s) {
  return std::vector<std::uint8_t>(s.begin(), s.end());
}

// Writes one value, creating the key path; returns the result code.
inline long Put(platform::HKey root, const std::string& path, const std::string& name,
                std::uint32_t type, const std::vector<std::uint8_t>& data) {
  platform::HKey key = 0;
  long rc = platform::RegCreateKeyEx(root, path, platform::kKeyAllSpecific, &key);
  if (rc != platform::kErrorSuccess) return rc;
  rc = platform::RegSetValueEx(key, name, type, data.data(),
                               static_cast<std::uint32_t>(data.size()));
  platform::RegCloseKey(key);
  return rc;
}

// Reads one value's type and bytes; returns the result code.
inline long Get(platform::HKey root, const std::string& path, const std::string& name,
                std::uint32_t* type, std::vector<std::uint8_t>* data) {
  platform::HKey key = 0;
  long rc = platform::RegOpenKeyEx(root, path, platform::kKeyQueryValue, &key);
  if (rc != platform::kErrorSuccess) return rc;
  std::uint32_t size = 0;
  rc = platform::RegQueryValueEx(key, name, type, nullptr, &size);
  if (rc == platform::kErrorSuccess) {
    data->assign(size, 0);
    rc = platform::RegQueryValueEx(key, name, type, data->data(), &size);
  }
  platform::RegCloseKey(key);
  return rc;
}

inline bool Exists(platform::HKey root, const std::string& path) {
  platform::HKey key = 0;
  if (platform::RegOpenKeyEx(root, path, platform::kKeyQueryValue, &key) != 0) return false;
  platform::RegCloseKey(key);
  return true;
}

}  // namespace korvane::test
