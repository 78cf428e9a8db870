#include "platform/LoaderSearch.h"

namespace korvane::platform {

std::vector<std::string> SplitFolderList(const std::string& list, char separator) {
  std::vector<std::string> folders;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(separator, start);
    if (end == std::string::npos) end = list.size();
    if (end > start) folders.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return folders;
}

std::uint16_t ProgramMachine() {
#if defined(__x86_64__) || defined(_M_X64)
  return 0x8664;
#elif defined(__i386__) || defined(_M_IX86)
  return 0x014C;
#elif defined(__aarch64__) || defined(_M_ARM64)
  return 0xAA64;
#else
  return 0;
#endif
}

}  // namespace korvane::platform
