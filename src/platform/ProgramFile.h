#pragma once
// The file the running program was started from.

#include <string>

namespace korvane::platform {

// Its full path; empty when the system does not say.
std::string ProgramFilePath();

}  // namespace korvane::platform
