#include "registration/SelfRegistration.h"

#include "platform/FileSystem.h"
#include "platform/Library.h"
#include "registration/RegistrationOutcome.h"

namespace korvane {

namespace {

// The worker's job: load, call, unload. It runs on the worker because a
// library's initialisation code (a constructor, DllMain) may hang as well as
// its entry point; the library is unloaded only once the entry point has
// returned, so a worker still inside it after the wait keeps it mapped.
std::int32_t LoadAndCall(const std::string& fileName, bool registering) {
  platform::LibraryHandle library = platform::LoadLibrary(fileName);
  if (library == nullptr) return LoadFailed;
  std::int32_t outcome = EntryPointMissing;
  auto* entry = reinterpret_cast<platform::EntryPoint>(platform::GetProcAddress(
      library, registering ? "DllRegisterServer" : "DllUnregisterServer"));
  if (entry != nullptr) {
    const platform::HResult result = entry();
    if (result >= 0) {
      outcome = registering ? RegistrationSucceeded : UnregistrationSucceeded;
    } else {
      outcome = registering ? RegistrationFailed : UnregistrationFailed;
    }
  }
  platform::FreeLibrary(library);
  return outcome;
}

}  // namespace

std::int32_t CallSelfRegistration(const std::string& fileName, RegistrationDirection direction) {
  return CallSelfRegistration(fileName, direction, &platform::CreateWorkerThread);
}

std::int32_t CallSelfRegistration(const std::string& fileName, RegistrationDirection direction,
                                  const WorkerStarter& startWorker) {
  const bool registering = direction == RegistrationDirection::Register;
  if (fileName.empty()) return NoFile;
  // Loading opens the file, and opening a FIFO or a device can block for
  // ever: only a plain file is handed to the loader.
  if (platform::GetFileKind(fileName) != platform::FileKind::Regular) return LoadFailed;

  std::unique_ptr<platform::WorkerThread> worker =
      startWorker([fileName, registering] { return LoadAndCall(fileName, registering); });
  if (!worker) return ThreadNotStarted;
  std::int32_t outcome = 0;
  if (worker->Wait(kRegistrationWaitMs) != platform::kWaitObject0 || !worker->ExitCode(outcome)) {
    // Still loading or still inside the entry point: the worker is left to
    // itself, and the request has failed.
    return registering ? RegistrationFailed : UnregistrationFailed;
  }
  return outcome;
}

}  // namespace korvane
