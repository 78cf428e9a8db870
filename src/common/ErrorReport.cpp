#include "common/ErrorReport.h"

#include "common/UserPort.h"

namespace korvane {

void ShowError(const std::string& sSource, long number, const std::string& description) {
  MsgBox(sSource + ": error " + std::to_string(number) + ": " + description, kMbOkOnly, kAppTitle);
}

}  // namespace korvane
