#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WinApi.h"
// WinApi.h first: the interface below declares functions named like the macros.

#include "platform/JoinableThread.h"

namespace korvane::platform {

namespace {

DWORD WINAPI RunWork(LPVOID parameter) {
  std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(parameter));
  (*work)();
  return 0;
}

class Win32Thread final : public JoinableThread {
 public:
  explicit Win32Thread(win32::UniqueHandle thread) : thread_(std::move(thread)) {}
  ~Win32Thread() override { Join(); }
  void Join() override {
    if (thread_) ::WaitForSingleObject(thread_.Get(), INFINITE);
    thread_.Reset();
  }

 private:
  win32::UniqueHandle thread_;
};

}  // namespace

std::unique_ptr<JoinableThread> StartJoinableThread(std::function<void()> work) {
  auto* slot = new std::function<void()>(std::move(work));
  DWORD id = 0;
  win32::UniqueHandle thread(::CreateThread(nullptr, 0, &RunWork, slot, 0, &id));
  if (!thread) {
    delete slot;
    return nullptr;
  }
  return std::make_unique<Win32Thread>(std::move(thread));
}

unsigned ProcessorCount() {
  DWORD_PTR process = 0;
  DWORD_PTR system = 0;
  if (!::GetProcessAffinityMask(::GetCurrentProcess(), &process, &system) || process == 0) return 1;
  unsigned n = 0;
  for (; process != 0; process &= process - 1) ++n;
  return n;
}

}  // namespace korvane::platform
