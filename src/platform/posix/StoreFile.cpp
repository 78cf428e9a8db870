#include <cstdlib>

#include "platform/Registry.h"

namespace korvane::platform {

// The store takes its file from KORVANE_REGISTRY at every call and reopens
// when that changes, so naming the file there is all it needs.
void UseRegistryStoreFile(const std::string& path) { ::setenv("KORVANE_REGISTRY", path.c_str(), 1); }

}  // namespace korvane::platform
