#pragma once
// The one error-report routine: an OK-only box, no icon, titled Korvane, with
// the text  source ": error " number ": " description.

#include <string>

#include "common/VbError.h"

namespace korvane {

void ShowError(const std::string& sSource, long number, const std::string& description);
inline void ShowError(const std::string& sSource, const VbError& error) {
  ShowError(sSource, error.Number(), error.Description());
}

}  // namespace korvane
