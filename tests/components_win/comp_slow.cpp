// A component whose entry points run for 15 seconds before they succeed.
#include "ComponentWin.h"

STDAPI DllRegisterServer() {
  Sleep(15000);
  WriteTrace("register-slow");
  return S_OK;
}

STDAPI DllUnregisterServer() {
  Sleep(15000);
  WriteTrace("unregister-slow");
  return S_OK;
}
