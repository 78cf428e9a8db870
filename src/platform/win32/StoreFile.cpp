#include "platform/Registry.h"

namespace korvane::platform {

// The real registry is the only one: there is no store file to choose.
void UseRegistryStoreFile(const std::string&) {}

}  // namespace korvane::platform
