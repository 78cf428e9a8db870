// A component whose loading does not end: DllMain sleeps for an hour when the
// library is attached, so its entry points are never reached in a test's
// lifetime.
#include "ComponentWin.h"

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) Sleep(60 * 60 * 1000);
  return TRUE;
}

STDAPI DllRegisterServer() {
  WriteTrace("register-hang");
  return S_OK;
}

STDAPI DllUnregisterServer() {
  WriteTrace("unregister-hang");
  return S_OK;
}
