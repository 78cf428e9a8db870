#pragma once
// The whole model of a type library as JSON, for scripts: every member keeps
// the model's field name; flag words and VARENUM types are numbers, kinds are
// words ("interface", "propget"), GUIDs are registry text, raw bytes are hex.

#include "common/Json.h"
#include "formats/TypeLibModel.h"

namespace korvane::typelib {

Json TypeLibraryJson(const formats::TypeLibrary& library);

}  // namespace korvane::typelib
