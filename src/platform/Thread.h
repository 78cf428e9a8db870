#pragma once
// A worker thread that runs one job (for a component's self-registration:
// load the library, call its entry point) and a timed wait for it.

#include <cstdint>
#include <functional>
#include <memory>

namespace korvane::platform {

// The entry point's own result, a COM HRESULT (negative means failure).
using HResult = std::int32_t;
// The signature of DllRegisterServer and DllUnregisterServer.
#if defined(_WIN32) && !defined(_WIN64)
using EntryPoint = HResult(__stdcall*)();
#else
using EntryPoint = HResult (*)();
#endif

// The work a worker does; what it returns becomes the worker's result.
using WorkerJob = std::function<std::int32_t()>;

inline constexpr std::uint32_t kWaitObject0 = 0;
inline constexpr std::uint32_t kWaitTimeout = 258;
inline constexpr std::uint32_t kWaitFailed = 0xFFFFFFFF;

class WorkerThread {
 public:
  virtual ~WorkerThread() = default;
  // kWaitObject0 when the worker has ended, kWaitTimeout when ms passed first.
  virtual std::uint32_t Wait(std::uint32_t ms) = 0;
  // The job's result once the worker has ended; false before.
  virtual bool ExitCode(std::int32_t& code) const = 0;
};

// Starts a worker running job (on Windows inside an apartment-threaded COM
// initialisation, so that a component's loading and its entry point both run
// there). Null when no thread could be created or job is empty. Destroying
// the handle never stops or waits for a worker that is still running.
std::unique_ptr<WorkerThread> CreateWorkerThread(WorkerJob job);

void Sleep(std::uint32_t ms);

}  // namespace korvane::platform
