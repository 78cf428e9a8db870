#pragma once
// The one procedure behind clsRegistrator.Register/UnRegister and the
// self-installation's RegisterComponentFile: on a worker thread, load the
// library and run its entry point; wait for both at most 10 seconds.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/Thread.h"

namespace korvane {

// How long the caller waits for the worker: loading the library (its
// initialisation code included) and the entry point together.
inline constexpr std::uint32_t kRegistrationWaitMs = 10000;

enum class RegistrationDirection { Register, Unregister };

// Starts the worker that runs a job; the program uses platform::CreateWorkerThread.
using WorkerStarter = std::function<std::unique_ptr<platform::WorkerThread>(platform::WorkerJob)>;

// Returns one of the RegistrationOutcome codes.
std::int32_t CallSelfRegistration(const std::string& fileName, RegistrationDirection direction);
std::int32_t CallSelfRegistration(const std::string& fileName, RegistrationDirection direction,
                                  const WorkerStarter& startWorker);

}  // namespace korvane
