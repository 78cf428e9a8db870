#include "Win32TestKey.h"

#include <gtest/gtest.h>

#include <random>

namespace korvane::test {

Win32TestKey::Win32TestKey() {
  std::random_device rd;
  path_ = "Software\\KorvaneWin32Test\\" + std::to_string(::GetCurrentProcessId()) + "-" +
          std::to_string(rd());
  EXPECT_EQ(platform::RegCreateKeyEx(platform::kHKeyCurrentUser, path_, platform::kKeyAllAccess, &key_),
            platform::kErrorSuccess);
}

Win32TestKey::~Win32TestKey() {
  if (key_ != 0) platform::RegCloseKey(key_);
  ::RegDeleteTreeW(HKEY_CURRENT_USER, platform::win32::Wide(path_).c_str());
}

}  // namespace korvane::test
