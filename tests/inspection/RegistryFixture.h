#pragma once
// A fresh registry store for one test, and a way to write type-library
// registrations into it.

#include <gtest/gtest.h>

#include <string>

#include "platform/Registry.h"
#include "support/TempDir.h"

namespace korvane::test {

class FreshRegistry {
 public:
  FreshRegistry() : env_("KORVANE_REGISTRY", dir_.File("registry.db")) {}

  // Creates HKEY_CLASSES_ROOT\key (and every key above it); sets its default
  // value when one is given.
  static void Key(const std::string& key, const std::string* value = nullptr) {
    platform::HKey handle = 0;
    ASSERT_EQ(platform::RegCreateKeyEx(platform::kHKeyClassesRoot, key, platform::kKeyAllSpecific, &handle), 0)
        << key;
    if (value != nullptr) {
      const auto* data = reinterpret_cast<const std::uint8_t*>(value->c_str());
      ASSERT_EQ(platform::RegSetValueEx(handle, "", platform::kRegSz, data,
                                        static_cast<std::uint32_t>(value->size() + 1)), 0);
    }
    platform::RegCloseKey(handle);
  }
  static void Key(const std::string& key, const std::string& value) { Key(key, &value); }

  // TypeLib\{guid}\version with its description, and locale\platform with a path.
  static void Version(const std::string& guid, const std::string& version, const std::string& description) {
    Key("TypeLib\\" + guid + "\\" + version, description);
  }
  static void Path(const std::string& guid, const std::string& version, const std::string& localePlatform,
                   const std::string& path) {
    Key("TypeLib\\" + guid + "\\" + version + "\\" + localePlatform, path);
  }

 private:
  TempDir dir_;
  ScopedEnv env_;
};

}  // namespace korvane::test
