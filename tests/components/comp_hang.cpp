// A component whose loading does not end: its initialisation code sleeps for
// an hour, so its entry points are never reached in a test's lifetime.
#include <chrono>
#include <thread>

#include "ComponentExport.h"

__attribute__((constructor)) static void HangWhileLoading() {
  std::this_thread::sleep_for(std::chrono::hours(1));
}

KORVANE_EXPORT std::int32_t DllRegisterServer() {
  WriteTrace("register-hang");
  return 0;
}

KORVANE_EXPORT std::int32_t DllUnregisterServer() {
  WriteTrace("unregister-hang");
  return 0;
}
