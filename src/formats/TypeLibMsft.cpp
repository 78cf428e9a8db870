// The attributes of an MSFT type library: what its header and the GUID, name
// and string tables say about the library itself.

#include "formats/MsftFile.h"
#include "formats/TypeLib.h"

namespace korvane::formats {

Expected<TypeLibAttributes> ReadMsftTypeLib(std::span<const std::uint8_t> data) {
  const auto file = msft::MsftFile::Open(data);
  if (!file) return file.error();
  return file->Attributes();
}

}  // namespace korvane::formats
