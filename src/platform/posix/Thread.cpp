#include "platform/Thread.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace korvane::platform {

namespace {

// Shared between the waiting thread and the worker, so that a worker that
// outlives its handle still has somewhere to put its result.
struct WorkerState {
  std::mutex mutex;
  std::condition_variable ended;
  bool done = false;
  std::int32_t result = 0;
};

class PosixWorker final : public WorkerThread {
 public:
  explicit PosixWorker(std::shared_ptr<WorkerState> state) : state_(std::move(state)) {}

  std::uint32_t Wait(std::uint32_t ms) override {
    std::unique_lock lock(state_->mutex);
    bool done = state_->ended.wait_for(lock, std::chrono::milliseconds(ms),
                                       [&] { return state_->done; });
    return done ? kWaitObject0 : kWaitTimeout;
  }

  bool ExitCode(std::int32_t& code) const override {
    std::lock_guard lock(state_->mutex);
    if (!state_->done) return false;
    code = state_->result;
    return true;
  }

 private:
  std::shared_ptr<WorkerState> state_;
};

}  // namespace

std::unique_ptr<WorkerThread> CreateWorkerThread(WorkerJob job) {
  if (!job) return nullptr;
  auto state = std::make_shared<WorkerState>();
  try {
    std::thread worker([state, job = std::move(job)] {
      const std::int32_t result = job();
      std::lock_guard lock(state->mutex);
      state->result = result;
      state->done = true;
      state->ended.notify_all();
    });
    worker.detach();
  } catch (const std::system_error&) {
    return nullptr;
  }
  return std::make_unique<PosixWorker>(std::move(state));
}

void Sleep(std::uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace korvane::platform
