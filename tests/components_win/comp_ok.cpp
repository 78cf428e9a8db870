// A component whose entry points succeed: registering writes
// HKCU\Software\KorvaneTest\comp_ok (its own path and a marker), unregistering
// removes the key again. Both leave a trace line.
#include "ComponentWin.h"

namespace {
HMODULE g_self = nullptr;
constexpr wchar_t kName[] = L"comp_ok";
}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_self = instance;
  return TRUE;
}

STDAPI DllRegisterServer() {
  WriteTrace("register");
  wchar_t key[128];
  TestKeyPath(kName, key, 128);
  HKEY h = nullptr;
  LONG r = RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h,
                           nullptr);
  if (r != ERROR_SUCCESS) return HRESULT_FROM_WIN32(r);
  wchar_t self[MAX_PATH * 2] = {};
  DWORD len = GetModuleFileNameW(g_self, self, MAX_PATH * 2);
  r = RegSetValueExW(h, L"Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(self),
                     (len + 1) * sizeof(wchar_t));
  DWORD marker = 1;
  if (r == ERROR_SUCCESS) {
    r = RegSetValueExW(h, L"Registered", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&marker),
                       sizeof marker);
  }
  RegCloseKey(h);
  return r == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(r);
}

STDAPI DllUnregisterServer() {
  WriteTrace("unregister");
  wchar_t key[128];
  TestKeyPath(kName, key, 128);
  LONG r = RegDeleteKeyW(HKEY_CURRENT_USER, key);
  // Unregistering something not registered is not a failure.
  return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(r);
}
