#pragma once
// A fresh registry key under HKEY_CURRENT_USER for one test, removed with
// everything below it when the test ends.

#include <string>

#include "platform/win32/WinApi.h"
// WinApi.h first: it removes the macros that clash with the interface names.
#include "platform/Registry.h"

namespace korvane::test {

class Win32TestKey {
 public:
  Win32TestKey();
  ~Win32TestKey();
  Win32TestKey(const Win32TestKey&) = delete;
  Win32TestKey& operator=(const Win32TestKey&) = delete;

  // The key's path below HKEY_CURRENT_USER.
  const std::string& Path() const { return path_; }
  // The key, opened with every right.
  platform::HKey Key() const { return key_; }

 private:
  std::string path_;
  platform::HKey key_ = 0;
};

}  // namespace korvane::test
