#pragma once
// Outcome codes of one registration call, and the message each one shows.

#include <cstdint>

namespace korvane {

enum RegistrationOutcome : std::int32_t {
  ThreadNotStarted = 0,
  LoadFailed = 1,
  EntryPointMissing = 2,
  RegistrationFailed = 3,
  RegistrationSucceeded = 4,
  UnregistrationSucceeded = 5,
  UnregistrationFailed = 6,
  NoFile = 7,
};

// The message text for an outcome; nullptr for 0 and unknown codes (no message).
const char* OutcomeMessage(std::int32_t outcome);
// The icon flag of that message (kMbIconError, kMbIconWarning, kMbIconInformation).
int OutcomeIcon(std::int32_t outcome);

inline constexpr const char* kTitleRegistering = "Korvane - Registering";
inline constexpr const char* kTitleUnregistering = "Korvane - UnRegistering";

}  // namespace korvane
