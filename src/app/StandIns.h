#pragma once
// Stand-ins for work that other parts of the program take over as they land.

#include <string>

namespace korvane::standin {

// Writes the folder report.
void CreateReport(const std::string& folder);

}  // namespace korvane::standin
