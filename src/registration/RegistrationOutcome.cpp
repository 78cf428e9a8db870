#include "registration/RegistrationOutcome.h"

#include "common/UserPort.h"

namespace korvane {

const char* OutcomeMessage(std::int32_t outcome) {
  switch (outcome) {
    case LoadFailed: return "Selected file could not be loaded into memory!";
    case EntryPointMissing: return "Selected file is not a valid ActiveX!";
    case RegistrationFailed: return "ActiveX Component registration failed!";
    case RegistrationSucceeded: return "ActiveX Component registration successful!";
    case UnregistrationSucceeded: return "ActiveX Component unregistration successful!";
    case UnregistrationFailed: return "ActiveX Component unregistration failed!";
    case NoFile: return "No file provided!";
    default: return nullptr;
  }
}

int OutcomeIcon(std::int32_t outcome) {
  switch (outcome) {
    case EntryPointMissing:
    case NoFile: return kMbIconWarning;
    case RegistrationSucceeded:
    case UnregistrationSucceeded: return kMbIconInformation;
    default: return kMbIconError;
  }
}

}  // namespace korvane
