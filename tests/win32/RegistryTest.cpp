// The registry back end against the real registry: text crosses in UTF-8 and
// is stored as UTF-16, with sizes and buffer rules kept exact.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "Win32TestKey.h"

namespace korvane::platform {
namespace {

using test::Win32TestKey;

std::vector<std::uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

// The data as Windows stores it, read with the W function directly.
std::wstring StoredText(HKey key, const wchar_t* name) {
  DWORD size = 0, type = 0;
  if (::RegQueryValueExW(reinterpret_cast<HKEY>(key), name, nullptr, &type, nullptr, &size) != 0) {
    return L"<missing>";
  }
  std::wstring text(size / 2, L'\0');
  ::RegQueryValueExW(reinterpret_cast<HKEY>(key), name, nullptr, &type,
                     reinterpret_cast<BYTE*>(text.data()), &size);
  return text;
}

TEST(Win32Registry, StringValuesAreUtf8OutsideAndUtf16Inside) {
  Win32TestKey k;
  const std::string name = "Größe \xE2\x82\xAC";  // "Größe €"
  const std::string data("Käse \xF0\x9F\xA7\x80", 10);  // with a character beyond U+FFFF
  const auto bytes = Bytes(std::string(data) + '\0');
  ASSERT_EQ(RegSetValueEx(k.Key(), name, kRegSz, bytes.data(), static_cast<std::uint32_t>(bytes.size())),
            kErrorSuccess);

  // Stored as UTF-16, surrogate pair included, with its terminator.
  EXPECT_EQ(StoredText(k.Key(), L"Gr\u00F6\u00DFe \u20AC"), std::wstring(L"K\u00E4se \xD83E\xDDC0") + L'\0');

  std::uint32_t type = 0, size = 0;
  ASSERT_EQ(RegQueryValueEx(k.Key(), name, &type, nullptr, &size), kErrorSuccess);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(size, bytes.size());  // UTF-8 bytes, NUL included

  std::vector<std::uint8_t> small(size - 1);
  std::uint32_t smallSize = static_cast<std::uint32_t>(small.size());
  EXPECT_EQ(RegQueryValueEx(k.Key(), name, &type, small.data(), &smallSize), kErrorMoreData);
  EXPECT_EQ(smallSize, bytes.size());

  std::vector<std::uint8_t> out(size + 8, 0xAA);
  std::uint32_t outSize = static_cast<std::uint32_t>(out.size());
  ASSERT_EQ(RegQueryValueEx(k.Key(), name, &type, out.data(), &outSize), kErrorSuccess);
  EXPECT_EQ(outSize, bytes.size());
  EXPECT_EQ(std::vector<std::uint8_t>(out.begin(), out.begin() + outSize), bytes);
}

TEST(Win32Registry, MultiStringsKeepTheirSeparatorsAndBareTextGetsATerminator) {
  Win32TestKey k;
  const std::string multi("eins\0zwei\0dr\xC3\xA4i\0\0", 17);
  ASSERT_EQ(RegSetValueEx(k.Key(), "multi", kRegMultiSz, reinterpret_cast<const std::uint8_t*>(multi.data()),
                          static_cast<std::uint32_t>(multi.size())),
            kErrorSuccess);
  EXPECT_EQ(StoredText(k.Key(), L"multi"), std::wstring(L"eins\0zwei\0dr\u00E4i\0\0", 16));

  // Written without a terminator: Windows adds one itself (RegSetValueExW
  // counts a NUL that directly follows the data), so it reads back with one.
  const std::string bare = "%TEMP%\\x";
  ASSERT_EQ(RegSetValueEx(k.Key(), "bare", kRegExpandSz, reinterpret_cast<const std::uint8_t*>(bare.data()),
                          static_cast<std::uint32_t>(bare.size())),
            kErrorSuccess);

  for (const auto& [name, expected] : {std::pair{std::string("multi"), multi},
                                      std::pair{std::string("bare"), bare + '\0'}}) {
    std::vector<std::uint8_t> out(64);
    std::uint32_t size = static_cast<std::uint32_t>(out.size());
    std::uint32_t type = 0;
    ASSERT_EQ(RegQueryValueEx(k.Key(), name, &type, out.data(), &size), kErrorSuccess) << name;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.data()), size), expected) << name;
  }
}

TEST(Win32Registry, OtherTypesPassThroughByteForByte) {
  Win32TestKey k;
  const std::uint8_t binary[] = {0x00, 0xC3, 0xA4, 0xFF, 0x00};
  const std::uint32_t dword = 0xDEADBEEF;
  ASSERT_EQ(RegSetValueEx(k.Key(), "bin", kRegBinary, binary, sizeof binary), kErrorSuccess);
  ASSERT_EQ(RegSetValueEx(k.Key(), "", kRegDword, reinterpret_cast<const std::uint8_t*>(&dword), 4),
            kErrorSuccess);  // the default value
  std::uint8_t out[16] = {};
  std::uint32_t size = sizeof out, type = 0;
  ASSERT_EQ(RegQueryValueEx(k.Key(), "bin", &type, out, &size), kErrorSuccess);
  EXPECT_EQ(type, kRegBinary);
  ASSERT_EQ(size, sizeof binary);
  EXPECT_EQ(std::memcmp(out, binary, size), 0);
  size = sizeof out;
  ASSERT_EQ(RegQueryValueEx(k.Key(), "", &type, out, &size), kErrorSuccess);
  EXPECT_EQ(type, kRegDword);
  std::uint32_t read = 0;
  std::memcpy(&read, out, 4);
  EXPECT_EQ(read, dword);
  EXPECT_EQ(RegQueryValueEx(k.Key(), "absent", &type, nullptr, &size), kErrorFileNotFound);
}

TEST(Win32Registry, KeysEnumerateIgnoringCaseAndRespectTheBufferSize) {
  Win32TestKey k;
  for (const char* name : {"beta", "Alpha", "\xC3\xA9t\xC3\xA9", "gamma"}) {  // "été"
    HKey sub = 0;
    bool created = false;
    ASSERT_EQ(RegCreateKeyEx(k.Key(), name, kKeyAllAccess, &sub, &created), kErrorSuccess);
    EXPECT_TRUE(created);
    RegCloseKey(sub);
  }
  HKey again = 0;
  bool created = true;
  ASSERT_EQ(RegCreateKeyEx(k.Key(), "ALPHA", kKeyAllAccess, &again, &created), kErrorSuccess);
  EXPECT_FALSE(created);
  RegCloseKey(again);

  std::vector<std::string> names;
  std::string name;
  for (std::uint32_t i = 0; RegEnumKey(k.Key(), i, &name, 256) == kErrorSuccess; ++i) names.push_back(name);
  EXPECT_EQ(names.size(), 4u);
  EXPECT_EQ(names.front(), "Alpha");
  EXPECT_EQ(names[1], "beta");
  EXPECT_NE(std::find(names.begin(), names.end(), "\xC3\xA9t\xC3\xA9"), names.end());
  EXPECT_EQ(RegEnumKey(k.Key(), 4, &name, 256), kErrorNoMoreItems);
  // "Alpha" needs six characters with its NUL.
  EXPECT_EQ(RegEnumKey(k.Key(), 0, &name, 5), kErrorMoreData);
  EXPECT_EQ(RegEnumKey(k.Key(), 0, &name, 6), kErrorSuccess);

  RegKeyInfo info;
  ASSERT_EQ(RegQueryInfoKey(k.Key(), &info), kErrorSuccess);
  EXPECT_EQ(info.subKeys, 4u);
  EXPECT_EQ(info.maxSubKeyLen, 5u);
}

TEST(Win32Registry, ValuesEnumerateAndTheLargestSizeCoversTheirUtf8Form) {
  Win32TestKey k;
  // Three-byte UTF-8 characters: 2 bytes each in UTF-16, 3 in UTF-8.
  const std::string wide = "\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC";
  const auto data = Bytes(wide + '\0');
  ASSERT_EQ(RegSetValueEx(k.Key(), "euros", kRegSz, data.data(), static_cast<std::uint32_t>(data.size())),
            kErrorSuccess);
  ASSERT_EQ(RegSetValueEx(k.Key(), "", kRegSz, data.data(), static_cast<std::uint32_t>(data.size())),
            kErrorSuccess);
  RegKeyInfo info;
  ASSERT_EQ(RegQueryInfoKey(k.Key(), &info), kErrorSuccess);
  EXPECT_EQ(info.values, 2u);
  EXPECT_EQ(info.maxValueNameLen, 5u);
  EXPECT_GE(info.maxValueLen, data.size());

  std::vector<std::string> names;
  std::string name = "x";
  for (std::uint32_t i = 0; RegEnumValue(k.Key(), i, &name, 256) == kErrorSuccess; ++i) names.push_back(name);
  ASSERT_EQ(names.size(), 2u);
  EXPECT_NE(std::find(names.begin(), names.end(), ""), names.end());
  const auto euros = static_cast<std::uint32_t>(std::find(names.begin(), names.end(), "euros") - names.begin());
  ASSERT_LT(euros, 2u);
  EXPECT_EQ(RegEnumValue(k.Key(), euros, &name, 5), kErrorMoreData);
  EXPECT_EQ(RegEnumValue(k.Key(), euros, &name, 6), kErrorSuccess);
  EXPECT_EQ(RegEnumValue(k.Key(), 2, &name, 256), kErrorNoMoreItems);
}

TEST(Win32Registry, AKeyWithSubKeysIsNotDeleted) {
  Win32TestKey k;
  HKey sub = 0;
  ASSERT_EQ(RegCreateKeyEx(k.Key(), "parent\\child", kKeyAllAccess, &sub), kErrorSuccess);
  RegCloseKey(sub);
  EXPECT_NE(RegDeleteKey(k.Key(), "parent"), kErrorSuccess);
  EXPECT_EQ(RegOpenKeyEx(k.Key(), "parent", kKeyRead, &sub), kErrorSuccess);
  RegCloseKey(sub);
  EXPECT_EQ(RegDeleteKey(k.Key(), "parent\\child"), kErrorSuccess);
  EXPECT_EQ(RegDeleteKey(k.Key(), "parent"), kErrorSuccess);
  EXPECT_EQ(RegOpenKeyEx(k.Key(), "parent", kKeyRead, &sub), kErrorFileNotFound);
  EXPECT_EQ(sub, 0u);
  EXPECT_EQ(RegDeleteValue(k.Key(), "never written"), kErrorFileNotFound);
}

TEST(Win32Registry, EnvironmentReferencesExpandWithSizesInUtf8Bytes) {
  ASSERT_TRUE(::SetEnvironmentVariableW(L"KORVANE_W32_TEST", L"\u00C4\u00D6\u00DC"));
  std::string out;
  const std::uint32_t needed = ExpandEnvironmentStrings("[%KORVANE_W32_TEST%|%KORVANE_UNSET_NAME%]", &out);
  EXPECT_EQ(out, "[\xC3\x84\xC3\x96\xC3\x9C|%KORVANE_UNSET_NAME%]");
  EXPECT_EQ(needed, out.size() + 1);
  EXPECT_EQ(ExpandEnvironmentStrings("", &out), 1u);
  EXPECT_EQ(out, "");
  ::SetEnvironmentVariableW(L"KORVANE_W32_TEST", nullptr);
}

}  // namespace
}  // namespace korvane::platform
