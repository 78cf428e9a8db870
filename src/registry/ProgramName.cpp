#include "registry/ProgramName.h"

#include <cstdlib>
#include <filesystem>

namespace korvane {

std::string ProgramName() {
  static const std::string name = [] {
    std::filesystem::path program;
#ifdef _WIN32
    // _pgmptr: msvcrt.dll, which MinGW links, has no _get_pgmptr.
    const char* path = _pgmptr;
    if (path != nullptr) program = path;
#else
    std::error_code ec;
    program = std::filesystem::read_symlink("/proc/self/exe", ec);
#endif
    std::string stem = program.stem().string();
    return stem.empty() ? std::string("korvane") : stem;
  }();
  return name;
}

}  // namespace korvane
