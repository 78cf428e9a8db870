#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WinApi.h"
// WinApi.h first: the interface below declares functions named like the macros.

#include "platform/Thread.h"

namespace korvane::platform {

namespace {

// Runs the job inside an apartment-threaded COM initialisation, as a
// component's loading and self-registration expect, and makes its result the
// thread's exit code.
DWORD WINAPI RunJob(LPVOID parameter) {
  std::unique_ptr<WorkerJob> job(static_cast<WorkerJob*>(parameter));
  HRESULT init = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const std::int32_t result = (*job)();
  if (SUCCEEDED(init)) ::CoUninitialize();
  return static_cast<DWORD>(result);
}

class Win32Worker final : public WorkerThread {
 public:
  explicit Win32Worker(win32::UniqueHandle thread) : thread_(std::move(thread)) {}

  std::uint32_t Wait(std::uint32_t ms) override {
    DWORD r = ::WaitForSingleObject(thread_.Get(), ms);
    if (r == WAIT_OBJECT_0) return kWaitObject0;
    if (r == WAIT_TIMEOUT) return kWaitTimeout;
    return kWaitFailed;
  }

  bool ExitCode(std::int32_t& code) const override {
    // STILL_ACTIVE (259) is also a possible HRESULT, so ask whether the thread
    // has ended rather than trusting the exit code alone.
    if (::WaitForSingleObject(thread_.Get(), 0) != WAIT_OBJECT_0) return false;
    DWORD exit = 0;
    if (!::GetExitCodeThread(thread_.Get(), &exit)) return false;
    code = static_cast<std::int32_t>(exit);
    return true;
  }

 private:
  // Closing the handle neither stops nor waits for the thread.
  win32::UniqueHandle thread_;
};

}  // namespace

std::unique_ptr<WorkerThread> CreateWorkerThread(WorkerJob job) {
  if (!job) return nullptr;
  auto slot = std::make_unique<WorkerJob>(std::move(job));
  DWORD id = 0;
  win32::UniqueHandle thread(::CreateThread(nullptr, 0, &RunJob, slot.get(), 0, &id));
  if (!thread) return nullptr;
  slot.release();  // the thread owns it now
  return std::make_unique<Win32Worker>(std::move(thread));
}

void Sleep(std::uint32_t ms) { ::Sleep(ms); }

}  // namespace korvane::platform
