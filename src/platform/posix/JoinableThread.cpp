#include "platform/JoinableThread.h"

#include <system_error>
#include <thread>

namespace korvane::platform {

namespace {

class StdThread final : public JoinableThread {
 public:
  explicit StdThread(std::thread thread) : thread_(std::move(thread)) {}
  ~StdThread() override { Join(); }
  void Join() override {
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::thread thread_;
};

}  // namespace

std::unique_ptr<JoinableThread> StartJoinableThread(std::function<void()> work) {
  try {
    return std::make_unique<StdThread>(std::thread(std::move(work)));
  } catch (const std::system_error&) {
    return nullptr;  // out of threads: the caller does the work itself
  }
}

unsigned ProcessorCount() {
  const unsigned n = std::thread::hardware_concurrency();
  return n == 0 ? 1 : n;
}

}  // namespace korvane::platform
