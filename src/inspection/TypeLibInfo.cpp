#include "inspection/TypeLibInfo.h"

#include <cstdio>

#include "common/VbError.h"

namespace korvane {

namespace {
constexpr long kObjectVariableNotSet = 91;
}

TypeLibInfo TypeLibInfo::TypeLibInfoFromFile(const std::string& path) {
  const platform::TypeLibResult read = platform::TypeLibInfoFromFile(path);
  if (!read) throw VbError(read.failure().number, "TypeLibInfoFromFile", read.failure().description);
  return TypeLibInfo(read.value());
}

const platform::TypeLibrary& TypeLibInfo::Library() const {
  if (!library_) throw VbError(kObjectVariableNotSet, "TypeLibInfo", "Object variable not set");
  return *library_;
}

std::string TypeLibInfo::VersionKey() const {
  char text[16];
  std::snprintf(text, sizeof text, "%x.%x", MajorVersion(), MinorVersion());
  return text;
}

std::string TypeLibInfo::VersionText() const {
  return std::to_string(MajorVersion()) + "." + std::to_string(MinorVersion());
}

}  // namespace korvane
