// A component whose entry points succeed and leave a trace.
#include "ComponentExport.h"

KORVANE_EXPORT std::int32_t DllRegisterServer() {
  WriteTrace("register");
  return 0;  // S_OK
}

KORVANE_EXPORT std::int32_t DllUnregisterServer() {
  WriteTrace("unregister");
  return 0;
}
