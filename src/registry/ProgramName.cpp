#include "registry/ProgramName.h"

#include <cstdlib>
#include <filesystem>

namespace korvane {

std::string ProgramName() {
  static const std::string name = [] {
    std::filesystem::path program;
#ifdef _WIN32
    char* path = nullptr;
    if (_get_pgmptr(&path) == 0 && path != nullptr) program = path;
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
