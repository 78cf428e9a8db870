#include "app/StandIns.h"

namespace korvane::standin {

void CreateReport(const std::string&) {}

}  // namespace korvane::standin
