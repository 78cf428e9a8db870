#include "platform/Library.h"

#include <dlfcn.h>

namespace korvane::platform {

LibraryHandle LoadLibrary(const std::string& path) {
  if (path.empty()) return nullptr;
  // A bare name would make dlopen search the library path; a component is
  // always named by its path, so make a bare name relative to the current folder.
  std::string name = path.find('/') == std::string::npos ? "./" + path : path;
  return dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* GetProcAddress(LibraryHandle library, const char* name) {
  if (library == nullptr) return nullptr;
  return dlsym(library, name);
}

void FreeLibrary(LibraryHandle library) {
  if (library != nullptr) dlclose(library);
}

}  // namespace korvane::platform
