#include "platform/win32/WinApi.h"

#include "formats/TextCodec.h"

namespace korvane::platform::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the W functions take UTF-16");

std::wstring Wide(std::string_view utf8) {
  std::u16string u16 = formats::Utf8ToUtf16(utf8);
  return std::wstring(u16.begin(), u16.end());
}

std::string Narrow(std::wstring_view utf16) {
  std::u16string u16(utf16.begin(), utf16.end());
  return formats::Utf16ToUtf8(u16);
}

}  // namespace korvane::platform::win32
