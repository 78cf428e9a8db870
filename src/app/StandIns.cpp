#include "app/StandIns.h"

namespace korvane::standin {

void InstallRuntimeComponents() {}
void ShowFileInformation(const std::string&) {}
void CreateReport(const std::string&) {}
void CreateShellAssociation(const std::string&, const std::string&) {}

}  // namespace korvane::standin
