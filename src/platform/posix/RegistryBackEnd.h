#pragma once
// What answers the registry functions on Linux: the registry store, or the
// registry of a chosen Wine prefix. Both take the same calls with Windows'
// result codes (see platform/Registry.h); Registry.cpp picks one per call.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/Registry.h"

namespace korvane::platform::posix {

class RegistryBackEnd {
 public:
  virtual ~RegistryBackEnd() = default;

  virtual long Open(HKey key, const std::string& subKey, bool create, HKey* result, bool* created) = 0;
  virtual long Close(HKey key) = 0;
  virtual long QueryValue(HKey key, const std::string& name, std::uint32_t* type, std::uint8_t* data,
                          std::uint32_t* size) = 0;
  virtual long SetValue(HKey key, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                        std::uint32_t size) = 0;
  virtual long DeleteKey(HKey key, const std::string& subKey) = 0;
  virtual long DeleteTree(HKey key, const std::string& subKey) = 0;
  virtual long DeleteValue(HKey key, const std::string& name) = 0;
  virtual long EnumKey(HKey key, std::uint32_t index, std::string* name, std::uint32_t maxChars) = 0;
  virtual long EnumValue(HKey key, std::uint32_t index, std::string* name, std::uint32_t maxChars) = 0;
  virtual long QueryInfo(HKey key, RegKeyInfo* info) = 0;
  // See RegRunAsOneChange and RegGroupsChanges.
  virtual long RunAsOneChange(const std::function<long()>& body) = 0;
  virtual bool GroupsChanges() const = 0;
};

}  // namespace korvane::platform::posix
