// A component whose entry points fail at once with E_FAIL.
#include "ComponentWin.h"

STDAPI DllRegisterServer() {
  WriteTrace("register-fail");
  return E_FAIL;
}

STDAPI DllUnregisterServer() {
  WriteTrace("unregister-fail");
  return E_FAIL;
}
