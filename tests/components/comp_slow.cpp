// A component whose entry points run for 15 seconds before they succeed.
#include <chrono>
#include <thread>

#include "ComponentExport.h"

KORVANE_EXPORT std::int32_t DllRegisterServer() {
  std::this_thread::sleep_for(std::chrono::seconds(15));
  WriteTrace("register-slow");
  return 0;
}

KORVANE_EXPORT std::int32_t DllUnregisterServer() {
  std::this_thread::sleep_for(std::chrono::seconds(15));
  WriteTrace("unregister-slow");
  return 0;
}
