#include "registration/SelfRegistration.h"

#include "platform/Library.h"
#include "platform/Thread.h"
#include "registration/RegistrationOutcome.h"

namespace korvane {

std::int32_t CallSelfRegistration(const std::string& fileName, RegistrationDirection direction) {
  const bool registering = direction == RegistrationDirection::Register;
  if (fileName.empty()) return NoFile;

  platform::LibraryHandle library = platform::LoadLibrary(fileName);
  if (library == nullptr) return LoadFailed;

  std::int32_t outcome = ThreadNotStarted;
  bool workerStillRunning = false;
  auto* entry = reinterpret_cast<platform::EntryPoint>(platform::GetProcAddress(
      library, registering ? "DllRegisterServer" : "DllUnregisterServer"));
  if (entry == nullptr) {
    outcome = EntryPointMissing;
  } else if (auto worker = platform::CreateWorkerThread(entry)) {
    platform::HResult result = 0;
    if (worker->Wait(kRegistrationWaitMs) == platform::kWaitObject0 && worker->ExitCode(result) &&
        result >= 0) {
      outcome = registering ? RegistrationSucceeded : UnregistrationSucceeded;
    } else {
      // Timed out, or the entry point reported a failing HRESULT.
      outcome = registering ? RegistrationFailed : UnregistrationFailed;
      workerStillRunning = worker->Wait(0) != platform::kWaitObject0;
    }
  }

  // A worker still executing inside the library must keep it mapped.
  if (!workerStillRunning) platform::FreeLibrary(library);
  return outcome;
}

}  // namespace korvane
