#pragma once
// The standard OLE library (stdole2.tlb) as far as an importing library needs
// it: its identity and the name, kind and GUID of each of its types, in the
// order the library holds them. Almost every automation library imports it;
// when no copy of it is found, this stands in for it, so that the types used
// from it keep their names.

#include "formats/TypeLibModel.h"

namespace korvane::typelib {

// stdole2's library GUID, {00020430-0000-0000-C000-000000000046}.
const formats::Guid& StandardOleGuid();

// The library's types without their members; an interface's vtable size is
// given in the pointer size of sysKind (the importing library's platform).
formats::TypeLibrary StandardOleLibrary(int sysKind);

}  // namespace korvane::typelib
