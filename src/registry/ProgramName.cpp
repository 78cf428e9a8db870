#include "registry/ProgramName.h"

#include "platform/ProgramFile.h"
#include "platform/Process.h"

namespace korvane {

std::string ProgramName() {
  static const std::string name = [] {
    const std::string path = platform::ProgramFilePath();
    // Windows takes both separators; elsewhere a backslash is part of a name.
    const std::size_t slash = platform::kPathSeparator == '\\' ? path.find_last_of("\\/")
                                                              : path.find_last_of('/');
    std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    // The extension goes; a name that is all extension (".x") keeps it.
    const std::size_t dot = file.rfind('.');
    if (dot != std::string::npos && dot > 0) file.resize(dot);
    return file.empty() ? std::string("korvane") : file;
  }();
  return name;
}

}  // namespace korvane
