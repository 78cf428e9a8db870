#pragma once
// Loading a component library and finding an exported entry point
// (LoadLibrary/GetProcAddress/FreeLibrary; dlopen/dlsym/dlclose on Linux).

#include <string>

namespace korvane::platform {

using LibraryHandle = void*;  // nullptr: not loaded

// Loads the library at path; nullptr when it cannot be loaded (missing file,
// not a library, missing dependencies, wrong processor type).
LibraryHandle LoadLibrary(const std::string& path);
// The exported symbol's address; nullptr when the library does not export it.
void* GetProcAddress(LibraryHandle library, const char* name);
void FreeLibrary(LibraryHandle library);

}  // namespace korvane::platform
