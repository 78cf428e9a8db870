// The type-library port over our own reader of MSFT and SLTG data.

#include "platform/TypeLib.h"

#include "common/VbError.h"
#include "formats/TypeLibFile.h"
#include "platform/Process.h"

namespace korvane::platform {

namespace {
// The number the type-library loader reports for a file it cannot read
// (TYPE_E_CANTLOADLIBRARY as a signed value).
constexpr long kCantLoadLibrary = static_cast<long>(static_cast<std::int32_t>(0x80029C4Au));
}  // namespace

TypeLibrary TypeLibInfoFromFile(const std::string& path) {
  try {
    const formats::TypeLibAttributes attr = formats::ReadTypeLibFile(path, kPathSeparator);
    return TypeLibrary(attr.name, attr.helpString, formats::GuidToRegistryText(attr.guid), attr.majorVersion,
                       attr.minorVersion, attr.lcid, attr.sysKind, attr.libFlags);
  } catch (const formats::TypeLibError& e) {
    throw korvane::VbError(kCantLoadLibrary, "TypeLibInfoFromFile", e.what());
  } catch (const std::exception& e) {
    throw korvane::VbError(kCantLoadLibrary, "TypeLibInfoFromFile", path + ": " + e.what());
  }
}

}  // namespace korvane::platform
