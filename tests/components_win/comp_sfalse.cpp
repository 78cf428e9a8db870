// A component whose entry points return S_FALSE, a success code.
#include "ComponentWin.h"

STDAPI DllRegisterServer() { return S_FALSE; }
STDAPI DllUnregisterServer() { return S_FALSE; }
