#include "platform/win32/WinApi.h"
// WinApi.h first: the interface below declares functions named like the macros.
// RegDeleteTree is one more such macro, needed only here.
#undef RegDeleteTree
#include <cstring>
#include <vector>

#include "platform/Registry.h"

namespace korvane::platform {

namespace {

// The root keys are 32-bit values that Windows sign-extends in 64-bit
// programs (HKEY_CLASSES_ROOT is 0xFFFFFFFF80000000 there): map them to the
// system's own values rather than trusting a zero-extended one.
HKEY Native(HKey key) {
  switch (key) {
    case kHKeyClassesRoot: return HKEY_CLASSES_ROOT;
    case kHKeyCurrentUser: return HKEY_CURRENT_USER;
    case kHKeyLocalMachine: return HKEY_LOCAL_MACHINE;
    case kHKeyUsers: return HKEY_USERS;
    default: return reinterpret_cast<HKEY>(key);
  }
}
HKey Ours(HKEY key) { return reinterpret_cast<HKey>(key); }

bool IsStringType(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// String data as stored (UTF-16 code units, NULs included) to UTF-8 bytes, unit
// for unit, so terminators and the separators of REG_MULTI_SZ stay where they
// were. An odd trailing byte cannot be a character and is dropped.
std::string StoredTextToUtf8(const std::vector<BYTE>& raw, DWORD size) {
  std::wstring units(size / 2, L'\0');
  if (!units.empty()) std::memcpy(units.data(), raw.data(), units.size() * sizeof(wchar_t));
  return win32::Narrow(units);
}

// Reads a value's type and raw stored bytes, growing the buffer if the value
// grows between the size query and the read.
LONG ReadRaw(HKEY key, const std::wstring& name, DWORD* type, std::vector<BYTE>* raw, DWORD* size) {
  DWORD needed = 0;
  LONG r = ::RegQueryValueExW(key, name.c_str(), nullptr, type, nullptr, &needed);
  for (int attempt = 0; r == ERROR_SUCCESS && attempt < 8; ++attempt) {
    raw->assign(needed + sizeof(wchar_t), 0);
    DWORD got = needed;
    r = ::RegQueryValueExW(key, name.c_str(), nullptr, type, raw->data(), &got);
    if (r == ERROR_SUCCESS) {
      *size = got;
      return r;
    }
    if (r == ERROR_MORE_DATA) {
      needed = got;
      r = ERROR_SUCCESS;
    }
  }
  return r == ERROR_SUCCESS ? ERROR_MORE_DATA : r;
}

// Copies bytes to the caller's buffer with the size protocol of RegQueryValueEx.
long Deliver(const void* bytes, std::uint32_t count, std::uint8_t* data, std::uint32_t* size) {
  if (size == nullptr) return data == nullptr ? kErrorSuccess : kErrorInvalidParameter;
  std::uint32_t room = *size;
  *size = count;
  if (data == nullptr) return kErrorSuccess;
  if (room < count) return kErrorMoreData;
  if (count > 0) std::memcpy(data, bytes, count);
  return kErrorSuccess;
}

}  // namespace

long RegOpenKeyEx(HKey key, const std::string& subKey, std::uint32_t access, HKey* result) {
  if (result == nullptr) return kErrorInvalidParameter;
  HKEY opened = nullptr;
  LONG r = ::RegOpenKeyExW(Native(key), win32::Wide(subKey).c_str(), 0, access, &opened);
  *result = r == ERROR_SUCCESS ? Ours(opened) : 0;
  return r;
}

long RegCreateKeyEx(HKey key, const std::string& subKey, std::uint32_t access, HKey* result,
                    bool* created) {
  if (result == nullptr) return kErrorInvalidParameter;
  HKEY opened = nullptr;
  DWORD disposition = 0;
  LONG r = ::RegCreateKeyExW(Native(key), win32::Wide(subKey).c_str(), 0, nullptr,
                             REG_OPTION_NON_VOLATILE, access, nullptr, &opened, &disposition);
  *result = r == ERROR_SUCCESS ? Ours(opened) : 0;
  if (created != nullptr) *created = r == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY;
  return r;
}

long RegCloseKey(HKey key) { return ::RegCloseKey(Native(key)); }

long RegQueryValueEx(HKey key, const std::string& valueName, std::uint32_t* type,
                     std::uint8_t* data, std::uint32_t* size) {
  std::wstring name = win32::Wide(valueName);
  DWORD storedType = 0;
  std::vector<BYTE> raw;
  DWORD rawSize = 0;
  LONG r = ReadRaw(Native(key), name, &storedType, &raw, &rawSize);
  if (r != ERROR_SUCCESS) return r;
  if (type != nullptr) *type = storedType;
  if (IsStringType(storedType)) {
    std::string text = StoredTextToUtf8(raw, rawSize);
    return Deliver(text.data(), static_cast<std::uint32_t>(text.size()), data, size);
  }
  return Deliver(raw.data(), rawSize, data, size);
}

long RegSetValueEx(HKey key, const std::string& valueName, std::uint32_t type,
                   const std::uint8_t* data, std::uint32_t size) {
  std::wstring name = win32::Wide(valueName);
  if (data == nullptr && size > 0) return kErrorInvalidParameter;
  if (IsStringType(type)) {
    // UTF-8 bytes to UTF-16 unit for unit, embedded NULs included.
    std::wstring text =
        size == 0 ? std::wstring()
                  : win32::Wide(std::string_view(reinterpret_cast<const char*>(data), size));
    return ::RegSetValueExW(Native(key), name.c_str(), 0, type,
                            reinterpret_cast<const BYTE*>(text.data()),
                            static_cast<DWORD>(text.size() * sizeof(wchar_t)));
  }
  return ::RegSetValueExW(Native(key), name.c_str(), 0, type, data, size);
}

long RegDeleteKey(HKey key, const std::string& subKey) {
  return ::RegDeleteKeyW(Native(key), win32::Wide(subKey).c_str());
}

long RegDeleteTree(HKey key, const std::string& subKey) {
  // A null name empties the key itself and keeps it.
  const std::wstring name = win32::Wide(subKey);
  return ::RegDeleteTreeW(Native(key), subKey.empty() ? nullptr : name.c_str());
}

long RegDeleteValue(HKey key, const std::string& valueName) {
  return ::RegDeleteValueW(Native(key), win32::Wide(valueName).c_str());
}

long RegEnumKey(HKey key, std::uint32_t index, std::string* name, std::uint32_t maxChars) {
  std::vector<wchar_t> buffer(static_cast<std::size_t>(maxChars) + 1, L'\0');
  DWORD chars = maxChars;
  LONG r = ::RegEnumKeyExW(Native(key), index, buffer.data(), &chars, nullptr, nullptr, nullptr,
                           nullptr);
  if (r == ERROR_SUCCESS && name != nullptr) *name = win32::Narrow({buffer.data(), chars});
  return r;
}

long RegEnumValue(HKey key, std::uint32_t index, std::string* name, std::uint32_t maxChars) {
  std::vector<wchar_t> buffer(static_cast<std::size_t>(maxChars) + 1, L'\0');
  DWORD chars = maxChars;
  LONG r = ::RegEnumValueW(Native(key), index, buffer.data(), &chars, nullptr, nullptr, nullptr,
                           nullptr);
  if (r == ERROR_SUCCESS && name != nullptr) *name = win32::Narrow({buffer.data(), chars});
  return r;
}

long RegQueryInfoKey(HKey key, RegKeyInfo* info) {
  if (info == nullptr) return kErrorInvalidParameter;
  DWORD subKeys = 0, maxSubKeyLen = 0, values = 0, maxValueNameLen = 0, maxValueLen = 0;
  LONG r = ::RegQueryInfoKeyW(Native(key), nullptr, nullptr, nullptr, &subKeys, &maxSubKeyLen,
                              nullptr, &values, &maxValueNameLen, &maxValueLen, nullptr, nullptr);
  if (r != ERROR_SUCCESS) return r;
  info->subKeys = subKeys;
  info->maxSubKeyLen = maxSubKeyLen;
  info->values = values;
  info->maxValueNameLen = maxValueNameLen;
  // Text is stored as UTF-16 but handed out as UTF-8, which takes at most three
  // bytes for every two stored: report a size that any value fits in.
  info->maxValueLen = maxValueLen + (maxValueLen + 1) / 2;
  return kErrorSuccess;
}

// The registry functions have no transactions of their own; the changes are
// made one by one, as Windows' registry editor makes them.
long RegRunAsOneChange(const std::function<long()>& body) { return body(); }

bool RegGroupsChanges() { return false; }

std::string RegistryLocation() { return "the registry"; }

std::uint32_t ExpandEnvironmentStrings(const std::string& source, std::string* out) {
  std::wstring wsource = win32::Wide(source);
  std::vector<wchar_t> buffer(wsource.size() + 64);
  for (int attempt = 0; attempt < 8; ++attempt) {
    DWORD needed = ::ExpandEnvironmentStringsW(wsource.c_str(), buffer.data(),
                                               static_cast<DWORD>(buffer.size()));
    if (needed == 0) return 0;
    if (needed <= buffer.size()) {
      std::string text = win32::Narrow({buffer.data(), needed - 1});
      if (out != nullptr) *out = text;
      return static_cast<std::uint32_t>(text.size() + 1);
    }
    buffer.resize(needed);
  }
  return 0;
}

}  // namespace korvane::platform
