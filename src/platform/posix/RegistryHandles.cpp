#include "platform/posix/RegistryHandles.h"

namespace korvane::platform::posix {

HKey RegistryHandles::Add(KeyRef key) {
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    if (slots_[i].id == 0) {
      slots_[i] = key;
      return static_cast<HKey>(i + 1);
    }
  }
  slots_.push_back(key);
  return static_cast<HKey>(slots_.size());
}

std::optional<KeyRef> RegistryHandles::Find(HKey handle) const {
  if (handle == 0 || handle > slots_.size() || slots_[handle - 1].id == 0) return std::nullopt;
  return slots_[handle - 1];
}

bool RegistryHandles::Remove(HKey handle) {
  if (!Find(handle)) return false;
  slots_[handle - 1] = KeyRef{};
  return true;
}

}  // namespace korvane::platform::posix
