// Writes values into the registry store as fast as it can, one transaction per
// value, and reports each value on standard output once it is committed. The
// stress tests run several of these at once and kill them at random moments.
//
// usage: registry_stress_writer KEY PREFIX COUNT
//   writes HKEY_CURRENT_USER\Software\Stress\KEY, values PREFIX0 ... PREFIX<COUNT-1>,
//   each a REG_DWORD holding its number; every tenth also gets a sub-key of its
//   own (so that some transactions insert several rows). Exit 0 when all are
//   written, 1 at the first failure.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/Registry.h"

using namespace korvane::platform;

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: registry_stress_writer KEY PREFIX COUNT\n");
    return 2;
  }
  const std::string path = std::string("Software\\Stress\\") + argv[1];
  const std::string prefix = argv[2];
  const long count = std::strtol(argv[3], nullptr, 10);
  HKey key = 0;
  long rc = RegCreateKeyEx(kHKeyCurrentUser, path, kKeyAllSpecific, &key);
  if (rc != kErrorSuccess) {
    std::fprintf(stderr, "create %s: %ld\n", path.c_str(), rc);
    return 1;
  }
  for (long i = 0; i < count; ++i) {
    const std::string name = prefix + std::to_string(i);
    const auto n = static_cast<std::uint32_t>(i);
    const std::uint8_t data[4] = {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                                  static_cast<std::uint8_t>(n >> 16),
                                  static_cast<std::uint8_t>(n >> 24)};
    rc = RegSetValueEx(key, name, kRegDword, data, 4);
    if (rc == kErrorSuccess && i % 10 == 0) {
      HKey sub = 0;
      rc = RegCreateKeyEx(key, name + "\\deeper\\still", kKeyAllSpecific, &sub);
      if (rc == kErrorSuccess) RegCloseKey(sub);
    }
    if (rc != kErrorSuccess) {
      std::fprintf(stderr, "value %s: %ld\n", name.c_str(), rc);
      return 1;
    }
    // Unbuffered: a line on the pipe means the value is committed.
    const std::string line = std::to_string(i) + "\n";
    if (::write(STDOUT_FILENO, line.data(), line.size()) < 0) return 1;
  }
  RegCloseKey(key);
  return 0;
}
