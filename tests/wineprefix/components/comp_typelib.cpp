// A component whose self-registration registers the type library it carries
// (resource TYPELIB 1) and removes it again, as real controls do.

#include <windows.h>
#include <oleauto.h>

namespace {

HMODULE g_module = nullptr;
// {5D1C2A7E-8B4F-4C3A-9E21-7F6B0D3C9A54}, the library's uuid in the IDL.
const GUID kLibraryId = {0x5D1C2A7E, 0x8B4F, 0x4C3A, {0x9E, 0x21, 0x7F, 0x6B, 0x0D, 0x3C, 0x9A, 0x54}};

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_module = instance;
  return TRUE;
}

extern "C" HRESULT __stdcall DllRegisterServer() {
  wchar_t path[MAX_PATH];
  if (GetModuleFileNameW(g_module, path, MAX_PATH) == 0) return E_FAIL;
  ITypeLib* library = nullptr;
  const HRESULT hr = LoadTypeLibEx(path, REGKIND_REGISTER, &library);
  if (SUCCEEDED(hr)) library->Release();
  return hr;
}

extern "C" HRESULT __stdcall DllUnregisterServer() {
  return UnRegisterTypeLib(kLibraryId, 1, 0, LANG_NEUTRAL, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
}
