#pragma once
// The running program file's name without its extension: the first part of
// the source of every error the registry class records.

#include <string>

namespace korvane {

std::string ProgramName();

}  // namespace korvane
