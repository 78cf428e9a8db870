#include "platform/win32/WinApi.h"
// WinApi.h first: the interface below declares functions named like the macros.

#include "platform/TypeLib.h"
#include "platform/win32/ComOwners.h"

namespace korvane::platform {

namespace {

// The system's text for an HRESULT, without the trailing line break.
std::string MessageOf(HRESULT hr) {
  wchar_t* text = nullptr;
  DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<LPWSTR>(&text),
                             0, nullptr);
  std::string message;
  if (n > 0 && text != nullptr) message = win32::Narrow(std::wstring_view(text, n));
  if (text != nullptr) ::LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '.')) {
    message.pop_back();
  }
  return message;
}

TypeLibFailure Fail(HRESULT hr, const std::string& path) {
  std::string text = MessageOf(hr);
  if (text.empty()) text = "the type library could not be loaded";
  return TypeLibFailure{static_cast<long>(hr), path + ": " + text};
}

std::string GuidText(const GUID& guid) {
  wchar_t text[40] = {};
  int n = ::StringFromGUID2(guid, text, 40);  // "{...}" in upper case, with NUL
  return n > 0 ? win32::Narrow(std::wstring_view(text, static_cast<std::size_t>(n - 1)))
               : std::string();
}

}  // namespace

TypeLibResult TypeLibInfoFromFile(const std::string& path) {
  win32::ComRef<ITypeLib> lib;
  // REGKIND_NONE: looking at a library must never register it. The system
  // loader also understands the "file\N" form that selects resource N.
  HRESULT hr = ::LoadTypeLibEx(win32::Wide(path).c_str(), REGKIND_NONE, lib.Put());
  if (FAILED(hr) || lib.Get() == nullptr) return Fail(FAILED(hr) ? hr : E_FAIL, path);

  TLIBATTR* attr = nullptr;
  hr = lib->GetLibAttr(&attr);
  if (FAILED(hr) || attr == nullptr) return Fail(FAILED(hr) ? hr : E_FAIL, path);
  const std::string guid = GuidText(attr->guid);
  const std::uint16_t major = attr->wMajorVerNum;
  const std::uint16_t minor = attr->wMinorVerNum;
  const std::uint32_t lcid = attr->lcid;
  const int sysKind = static_cast<int>(attr->syskind);
  const std::uint16_t flags = attr->wLibFlags;
  lib->ReleaseTLibAttr(attr);

  win32::OwnedBstr name, doc;
  // Index -1 documents the library itself.
  hr = lib->GetDocumentation(-1, name.Put(), doc.Put(), nullptr, nullptr);
  if (FAILED(hr)) return Fail(hr, path);
  return TypeLibrary(name.Utf8(), doc.Utf8(), guid, major, minor, lcid, sysKind, flags);
}

}  // namespace korvane::platform
