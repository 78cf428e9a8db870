#pragma once
// The open key handles of the registry store: small numbers of their own, each
// standing for one key row until it is closed.

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/Registry.h"

namespace korvane::platform::posix {

// A key as the store knows it: its row, and how many levels below its root
// key it lies (HKEY_CLASSES_ROOT itself lies two levels below HKEY_LOCAL_MACHINE).
struct KeyRef {
  std::int64_t id = 0;
  std::uint32_t depth = 0;
};

class RegistryHandles {
 public:
  // A new handle for the key; a freed number is used again.
  HKey Add(KeyRef key);
  // The key a handle stands for; nullopt for a handle that is not open.
  std::optional<KeyRef> Find(HKey handle) const;
  // Frees the handle; false when it was not open.
  bool Remove(HKey handle);
  void Clear() { slots_.clear(); }

 private:
  // Handle value h is slot h - 1; a slot with id 0 is free.
  std::vector<KeyRef> slots_;
};

}  // namespace korvane::platform::posix
