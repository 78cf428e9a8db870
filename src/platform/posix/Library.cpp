#include "platform/Library.h"

#include <dlfcn.h>

#include <mutex>

namespace korvane::platform {

namespace {

std::mutex g_failureLock;
LoaderFailure g_failure;

void Keep(LoaderStep step, const char* symbol) {
  const char* message = dlerror();
  const std::lock_guard<std::mutex> lock(g_failureLock);
  g_failure = {step, symbol != nullptr ? symbol : "", message != nullptr ? message : ""};
}

}  // namespace

LibraryHandle LoadLibrary(const std::string& path) {
  if (path.empty()) return nullptr;
  // A bare name would make dlopen search the library path; a component is
  // always named by its path, so make a bare name relative to the current folder.
  std::string name = path.find('/') == std::string::npos ? "./" + path : path;
  LibraryHandle library = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    Keep(LoaderStep::kLoad, nullptr);
  } else {
    const std::lock_guard<std::mutex> lock(g_failureLock);
    g_failure = {};  // an earlier failure is not this library's
  }
  return library;
}

void* GetProcAddress(LibraryHandle library, const char* name) {
  if (library == nullptr) return nullptr;
  dlerror();  // a null symbol is told from an error by dlerror alone
  void* address = dlsym(library, name);
  if (address == nullptr) Keep(LoaderStep::kEntryPoint, name);
  return address;
}

void FreeLibrary(LibraryHandle library) {
  if (library != nullptr) dlclose(library);
}

LoaderFailure LastLoaderFailure() {
  const std::lock_guard<std::mutex> lock(g_failureLock);
  return g_failure;
}

bool LoaderTakesPeImages() { return false; }

}  // namespace korvane::platform
