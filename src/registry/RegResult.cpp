#include "registry/RegResult.h"

#include "platform/Registry.h"

namespace korvane {

namespace pf = platform;

std::string RegResultText(long code) {
  std::string text;
  switch (code) {
    case pf::kErrorFileNotFound: text = "the key or value does not exist"; break;
    case pf::kErrorAccessDenied: text = "access is denied"; break;
    case pf::kErrorInvalidHandle: text = "invalid key handle"; break;
    case pf::kErrorInvalidData: text = "invalid data"; break;
    case pf::kErrorOutOfMemory: text = "not enough memory"; break;
    case pf::kErrorInvalidParameter: text = "invalid parameter"; break;
    case pf::kErrorBadPathname: text = "bad key name"; break;
    case pf::kErrorKeyDeleted: text = "the key has been deleted"; break;
    case pf::kErrorRegistryCorrupt: text = pf::RegistryLocation() + " is corrupt"; break;
    case pf::kErrorRegistryIoFailed:
      text = pf::RegistryLocation() + " cannot be opened, read or written";
      break;
    default: text = "registry error"; break;
  }
  return text + " (" + std::to_string(code) + ")";
}

bool IsRegistryUnreadable(long code) {
  return code == pf::kErrorRegistryCorrupt || code == pf::kErrorRegistryIoFailed;
}

}  // namespace korvane
