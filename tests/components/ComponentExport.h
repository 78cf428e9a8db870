#pragma once
// Exports a self-registration entry point from a test component.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#define KORVANE_EXPORT extern "C" __attribute__((visibility("default")))

// Appends one line to the file named by KORVANE_TEST_TRACE, when it is set.
inline void WriteTrace(const char* line) {
  const char* path = std::getenv("KORVANE_TEST_TRACE");
  if (path == nullptr) return;
  if (std::FILE* f = std::fopen(path, "a")) {
    std::fprintf(f, "%s\n", line);
    std::fclose(f);
  }
}
