#pragma once
// A type library written back as IDL, laid out as the usual type-library
// viewers show it, and made so that the Wine IDL compiler (widl) builds an
// equivalent library from it: the file declares the base types it uses
// itself, so it needs no include files.

#include <string>

#include "formats/TypeLibModel.h"

namespace korvane::typelib {

struct IdlOptions {
  std::string fileName;  // named in the header comment when not empty
};

std::string WriteIdl(const formats::TypeLibrary& library, const IdlOptions& options = {});

}  // namespace korvane::typelib
