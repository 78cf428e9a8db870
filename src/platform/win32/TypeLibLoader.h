#pragma once
// The whole content of a type library as the Windows loader presents it
// (LoadTypeLibEx, then ITypeLib2 and every ITypeInfo2), in the same model our
// own readers fill, so that the two can be compared member by member.
//
// What the loader does not expose is left at its default: the library's
// format, the import table as stored (imports are the libraries that
// references lead to, in the order they are first met, without file names).

#include <cstdint>
#include <string>
#include <vector>

#include "formats/TypeLibModel.h"

namespace korvane::platform {

// A function or variable the loader refused to describe (GetFuncDesc or
// GetVarDesc failing): it stands in the result as a default-valued member at
// its position, so that the positions of the others stay true.
struct RefusedMember {
  std::size_t typeIndex = 0;
  bool isFunction = true;
  std::size_t memberIndex = 0;
  long hresult = 0;
};

// pathUtf8 may use the "file\N" form for resource N of a PE file. Nothing is
// registered. kNotTypeLib when the loader refuses the file, kBadTypeLib when
// one of its later calls fails. Refused members are listed in *refused when
// given.
formats::Expected<formats::TypeLibrary> LoadTypeLibraryWithWindows(const std::string& pathUtf8,
                                                                   std::vector<RefusedMember>* refused = nullptr);

}  // namespace korvane::platform
