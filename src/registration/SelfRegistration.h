#pragma once
// The one procedure behind clsRegistrator.Register/UnRegister and the
// self-installation's RegisterComponentFile: load the library, run its entry
// point on a worker thread, wait at most 10 seconds.

#include <cstdint>
#include <string>

namespace korvane {

inline constexpr std::uint32_t kRegistrationWaitMs = 10000;

enum class RegistrationDirection { Register, Unregister };

// Returns one of the RegistrationOutcome codes.
std::int32_t CallSelfRegistration(const std::string& fileName, RegistrationDirection direction);

}  // namespace korvane
