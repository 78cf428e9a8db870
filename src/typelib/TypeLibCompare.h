#pragma once
// Compares two type libraries item by item and names every difference by its
// path: "type IFoo: function Bar (propget): param 2 (x): flags 0x1 vs 0x3".
// Types are matched by kind and name, functions by name and invoke kind,
// variables by name, parameters and implemented interfaces by position.
// Names match ignoring letter case, as the loader looks them up; a difference
// in case alone is reported as a name difference.

#include <string>
#include <vector>

#include "formats/TypeLibModel.h"

namespace korvane::typelib {

// What a legitimate rewrite of a library (IDL and a compiler, another loader)
// may change without changing its meaning.
struct CompareOptions {
  bool ignoreFormat = false;             // MSFT against SLTG
  bool ignoreLibraryCustomData = false;  // what a compiler stamps on the library
  bool ignoreTypeOrder = false;          // the types' indexes in the library
  bool ignoreMemberOrder = false;        // functions' and variables' positions in a type
  bool ignoreLayout = false;             // vtable offsets and sizes, instance sizes, alignment, field offsets
  bool ignoreNameCase = false;           // names that differ in letter case only
};

struct Difference {
  std::string path;    // where: "type IFoo: function Bar (propget)"
  std::string field;   // what: "flags"; empty when the item is missing on one side
  std::string first;   // the value in the first library ("" when it lacks the item)
  std::string second;  // the value in the second library
  // "path: field first vs second", or "path: only in the first library".
  std::string Text() const;
};

std::vector<Difference> FindDifferences(const formats::TypeLibrary& a, const formats::TypeLibrary& b,
                                        const CompareOptions& options);

// The differences as text lines, in the order of the first library.
std::vector<std::string> CompareTypeLibraries(const formats::TypeLibrary& a, const formats::TypeLibrary& b,
                                              const CompareOptions& options);

}  // namespace korvane::typelib
