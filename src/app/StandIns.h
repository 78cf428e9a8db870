#pragma once
// Stand-ins for work that other parts of the program take over as they land.
// Each one does what a user can rely on today and says so.

#include <string>

namespace korvane::standin {

// Self-installation of the runtime components (nothing to install yet).
void InstallRuntimeComponents();
// Shows a file's information in the info grid.
void ShowFileInformation(const std::string& path);
// Writes the folder report.
void CreateReport(const std::string& folder);
// Writes one class's shell verbs.
void CreateShellAssociation(const std::string& exePath, const std::string& association);

}  // namespace korvane::standin
