// A library that can register but has no DllUnregisterServer.
#include "ComponentWin.h"

STDAPI DllRegisterServer() { return S_OK; }
