#pragma once
// The IDL source of the type-library windows: the whole library read from
// the file ("file" or "file<separator>id") and written as IDL.

#include <string>

#include "formats/Expected.h"

namespace korvane::forms {

formats::Expected<std::string> TypeLibraryIdl(const std::string& path);

}  // namespace korvane::forms
