// The whole content of a type library, by the format its signature names.

#include "formats/TypeLibModel.h"

namespace korvane::formats {

Expected<TypeLibrary> ReadTypeLibrary(std::span<const std::uint8_t> data) {
  if (!IsTypeLibData(data)) return MakeError(ErrorKind::kNotTypeLib, "no MSFT or SLTG signature");
  if (data[0] == 'M') return ReadMsftTypeLibrary(data);
  return ReadSltgTypeLibrary(data);
}

}  // namespace korvane::formats
