#pragma once
// Helpers shared by the Windows test components: a trace file named by
// KORVANE_TEST_TRACE, and the registry key that the well-behaved component
// writes so that its registration is visible from outside (`reg query`).

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cwchar>

// Appends one line to the file named by KORVANE_TEST_TRACE, when it is set.
inline void WriteTrace(const char* line) {
  wchar_t path[MAX_PATH * 2];
  DWORD n = GetEnvironmentVariableW(L"KORVANE_TEST_TRACE", path, MAX_PATH * 2);
  if (n == 0 || n >= MAX_PATH * 2) return;
  if (std::FILE* f = _wfopen(path, L"ab")) {
    std::fprintf(f, "%s\n", line);
    std::fclose(f);
  }
}

// Where a component called `name` keeps its registration.
inline void TestKeyPath(const wchar_t* name, wchar_t* out, std::size_t size) {
  std::swprintf(out, size, L"Software\\KorvaneTest\\%ls", name);
}
