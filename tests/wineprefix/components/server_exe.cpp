// An out-of-process server as far as registration goes: /RegServer writes
// its class's LocalServer32 key (its own path), /UnregServer removes the
// class key again, in any letter case and with '-' for '/'. It ends at once
// either way, as real servers do after these switches.

#include <windows.h>

#include <cwchar>

namespace {

// {6A0E55D2-3B7C-4F1E-9C4D-2E8B5A71F0C3}
constexpr wchar_t kClassKey[] = L"CLSID\\{6A0E55D2-3B7C-4F1E-9C4D-2E8B5A71F0C3}";
constexpr wchar_t kServerKey[] = L"CLSID\\{6A0E55D2-3B7C-4F1E-9C4D-2E8B5A71F0C3}\\LocalServer32";

bool IsSwitch(const wchar_t* argument, const wchar_t* name) {
  return (argument[0] == L'/' || argument[0] == L'-') && _wcsicmp(argument + 1, name) == 0;
}

int Register() {
  wchar_t self[MAX_PATH * 2] = {};
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH * 2);
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, kServerKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return 1;
  }
  const LONG r = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(self),
                                (length + 1) * sizeof(wchar_t));
  RegCloseKey(key);
  return r == ERROR_SUCCESS ? 0 : 1;
}

int Unregister() {
  RegDeleteKeyW(HKEY_CLASSES_ROOT, kServerKey);
  const LONG r = RegDeleteKeyW(HKEY_CLASSES_ROOT, kClassKey);
  return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  for (int i = 1; i < argc; ++i) {
    if (IsSwitch(argv[i], L"regserver")) return Register();
    if (IsSwitch(argv[i], L"unregserver")) return Unregister();
  }
  return 0;
}
