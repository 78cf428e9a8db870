#pragma once
// The whole content of a type library as the Windows loader presents it
// (LoadTypeLibEx, then ITypeLib2 and every ITypeInfo2), in the same model our
// own readers fill, so that the two can be compared member by member.
//
// What the loader does not expose is left at its default: the library's
// format, the import table as stored (imports are the libraries that
// references lead to, in the order they are first met, without file names).

#include <string>

#include "formats/TypeLibModel.h"

namespace korvane::platform {

// pathUtf8 may use the "file\N" form for resource N of a PE file. Nothing is
// registered. kNotTypeLib when the loader refuses the file, kBadTypeLib when
// one of its later calls fails.
formats::Expected<formats::TypeLibrary> LoadTypeLibraryWithWindows(const std::string& pathUtf8);

}  // namespace korvane::platform
