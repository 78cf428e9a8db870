// A component whose entry points return S_FALSE, a success code.
#include "ComponentExport.h"

KORVANE_EXPORT std::int32_t DllRegisterServer() { return 1; }
KORVANE_EXPORT std::int32_t DllUnregisterServer() { return 1; }
