#include "platform/ProgramFile.h"

#include <filesystem>

namespace korvane::platform {

std::string ProgramFilePath() {
  std::error_code ec;
  std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : program.string();
}

}  // namespace korvane::platform
