// The type-library port over our own reader of MSFT and SLTG data.

#include "platform/TypeLib.h"

#include "platform/TypeLibFile.h"

namespace korvane::platform {

namespace {
// The number the type-library loader reports for a file it cannot read
// (TYPE_E_CANTLOADLIBRARY as a signed value).
constexpr long kCantLoadLibrary = static_cast<long>(static_cast<std::int32_t>(0x80029C4Au));
}  // namespace

TypeLibResult TypeLibInfoFromFile(const std::string& path) {
  const auto attr = ReadTypeLibFile(path);
  if (!attr) return TypeLibFailure{kCantLoadLibrary, attr.error().message};
  return TypeLibrary(attr->name, attr->helpString, formats::GuidToRegistryText(attr->guid), attr->majorVersion,
                     attr->minorVersion, attr->lcid, attr->sysKind, attr->libFlags);
}

}  // namespace korvane::platform
