// A library that can register but has no DllUnregisterServer.
#include "ComponentExport.h"

KORVANE_EXPORT std::int32_t DllRegisterServer() { return 0; }
