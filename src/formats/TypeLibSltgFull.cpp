// The whole content of SLTG libraries is not read yet: only their attributes
// (ReadSltgTypeLib).

#include "formats/TypeLibModel.h"

namespace korvane::formats {

Expected<TypeLibrary> ReadSltgTypeLibrary(std::span<const std::uint8_t>) {
  return MakeError(ErrorKind::kBadTypeLib, "the types of SLTG libraries are not read yet");
}

}  // namespace korvane::formats
