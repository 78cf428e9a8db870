#pragma once
// A worker thread that runs one component entry point (the signature of
// DllRegisterServer: no arguments, an HRESULT result) and a timed wait for it.

#include <cstdint>
#include <memory>

namespace korvane::platform {

// The entry point's own result, a COM HRESULT (negative means failure).
using HResult = std::int32_t;
#if defined(_WIN32) && !defined(_WIN64)
using EntryPoint = HResult(__stdcall*)();
#else
using EntryPoint = HResult (*)();
#endif

inline constexpr std::uint32_t kWaitObject0 = 0;
inline constexpr std::uint32_t kWaitTimeout = 258;
inline constexpr std::uint32_t kWaitFailed = 0xFFFFFFFF;

class WorkerThread {
 public:
  virtual ~WorkerThread() = default;
  // kWaitObject0 when the worker has ended, kWaitTimeout when ms passed first.
  virtual std::uint32_t Wait(std::uint32_t ms) = 0;
  // The entry point's result once the worker has ended; false before.
  virtual bool ExitCode(HResult& code) const = 0;
};

// Starts a worker running entry (on Windows inside an apartment-threaded COM
// initialisation). Null when no thread could be created. Destroying the handle
// never stops or waits for a worker that is still running.
std::unique_ptr<WorkerThread> CreateWorkerThread(EntryPoint entry);

void Sleep(std::uint32_t ms);

}  // namespace korvane::platform
