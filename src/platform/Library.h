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

// The last LoadLibrary or GetProcAddress of this process that failed, in the
// loader's own words (dlerror on Linux: the missing dependency or symbol).
// Kept for any thread: the registration loads on a worker. On Windows the
// step is kept with no message (the diagnosis reads the image instead).
enum class LoaderStep { kNone, kLoad, kEntryPoint };
struct LoaderFailure {
  LoaderStep step = LoaderStep::kNone;
  std::string symbol;   // the entry point asked for (kEntryPoint)
  std::string message;  // "" when the loader gives none
};
LoaderFailure LastLoaderFailure();
// Whether this platform's loader takes Windows (PE) libraries: false on
// Linux, where they are registered through Wine.
bool LoaderTakesPeImages();

}  // namespace korvane::platform
