// A component whose entry points fail at once with E_FAIL.
#include "ComponentExport.h"

KORVANE_EXPORT std::int32_t DllRegisterServer() {
  WriteTrace("register-fail");
  return static_cast<std::int32_t>(0x80004005u);
}

KORVANE_EXPORT std::int32_t DllUnregisterServer() {
  WriteTrace("unregister-fail");
  return static_cast<std::int32_t>(0x80004005u);
}
