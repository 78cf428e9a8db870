#pragma once
// Owners that close a Windows handle when they go. Each one is move-only, so a
// handle has exactly one owner and is closed exactly once.

#include <utility>

#include "platform/win32/WinApi.h"

namespace korvane::platform::win32 {

// Closer: a type with a static void Close(Handle) and a static Handle Invalid().
template <typename Handle, typename Closer>
class UniqueOwner {
 public:
  UniqueOwner() = default;
  explicit UniqueOwner(Handle h) : handle_(h) {}
  ~UniqueOwner() { Reset(); }
  UniqueOwner(const UniqueOwner&) = delete;
  UniqueOwner& operator=(const UniqueOwner&) = delete;
  UniqueOwner(UniqueOwner&& other) noexcept : handle_(other.Release()) {}
  UniqueOwner& operator=(UniqueOwner&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  Handle Get() const { return handle_; }
  bool Valid() const { return handle_ != Closer::Invalid(); }
  explicit operator bool() const { return Valid(); }
  Handle Release() { return std::exchange(handle_, Closer::Invalid()); }
  void Reset(Handle h = Closer::Invalid()) {
    Handle old = std::exchange(handle_, h);
    if (old != Closer::Invalid()) Closer::Close(old);
  }

 private:
  Handle handle_ = Closer::Invalid();
};

struct KernelHandleCloser {  // threads, processes, events, files opened with CreateFileW
  static HANDLE Invalid() { return nullptr; }
  static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct FileHandleCloser {  // CreateFileW reports failure as INVALID_HANDLE_VALUE
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct FindHandleCloser {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { ::FindClose(h); }
};
struct RegKeyCloser {
  static HKEY Invalid() { return nullptr; }
  static void Close(HKEY h) { ::RegCloseKey(h); }
};
struct ModuleCloser {
  static HMODULE Invalid() { return nullptr; }
  static void Close(HMODULE h) { ::FreeLibrary(h); }
};

using UniqueHandle = UniqueOwner<HANDLE, KernelHandleCloser>;
using UniqueFile = UniqueOwner<HANDLE, FileHandleCloser>;
using UniqueFind = UniqueOwner<HANDLE, FindHandleCloser>;
using UniqueRegKey = UniqueOwner<HKEY, RegKeyCloser>;
using UniqueModule = UniqueOwner<HMODULE, ModuleCloser>;

// Restores the calling thread's error mode when it goes; used to keep the
// loader's "cannot find a file" boxes away from a program with no window.
class ScopedThreadErrorMode {
 public:
  explicit ScopedThreadErrorMode(DWORD mode) { ok_ = ::SetThreadErrorMode(mode, &old_) != FALSE; }
  ~ScopedThreadErrorMode() {
    if (ok_) ::SetThreadErrorMode(old_, nullptr);
  }
  ScopedThreadErrorMode(const ScopedThreadErrorMode&) = delete;
  ScopedThreadErrorMode& operator=(const ScopedThreadErrorMode&) = delete;

 private:
  DWORD old_ = 0;
  bool ok_ = false;
};

}  // namespace korvane::platform::win32
