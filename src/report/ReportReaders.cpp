#include "report/ReportReaders.h"

#include <algorithm>
#include <new>

#include "platform/JoinableThread.h"

namespace korvane {

ReportReaders::ReportReaders(int readers, std::size_t window, Fetch fetch, BeforeRead beforeRead)
    : maxReaders_(readers > 1 ? static_cast<std::size_t>(readers) : 0),
      window_(window > 0 ? window : 1),
      fetch_(std::move(fetch)),
      beforeRead_(std::move(beforeRead)) {}

ReportReaders::~ReportReaders() {
  Stop();
  for (auto& thread : threads_) thread->Join();
}

void ReportReaders::Add(const std::string& path) {
  std::lock_guard lock(mutex_);
  if (stopped_) return;
  slots_.push_back(Slot{path, State::Queued, {}});
  StartReaderIfUseful();
  if (idle_ > 0) work_.notify_one();
}

// A new thread only when every running one is busy and more components wait
// within the window than threads exist to read them.
void ReportReaders::StartReaderIfUseful() {
  if (threads_.size() >= maxReaders_ || threads_.size() >= slots_.size() || idle_ > 0) return;
  const std::size_t waiting = taken_ + slots_.size() - nextToRead_;
  const std::size_t readable = std::min(taken_ + window_, taken_ + slots_.size());
  if (waiting == 0 || nextToRead_ >= readable) return;
  auto thread = platform::StartJoinableThread([this] { ReaderLoop(); });
  if (thread) threads_.push_back(std::move(thread));
}

bool ReportReaders::Read(std::unique_lock<std::mutex>& lock, std::size_t index) {
  const std::string path = At(index).path;
  lock.unlock();
  if (beforeRead_) beforeRead_(path);
  lock.lock();
  if (stopped_) return false;
  ++read_;
  lock.unlock();
  clsFileInfo info;
  State state = State::Done;
  try {
    fetch_(path, info);
  } catch (const std::bad_alloc&) {
    info = clsFileInfo{};
    state = State::OutOfMemory;  // handed to the writer, which fails the report
  }
  lock.lock();
  if (stopped_) return false;
  Slot& slot = At(index);
  slot.info = std::move(info);
  slot.state = state;
  return true;
}

void ReportReaders::ReaderLoop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    ++idle_;
    work_.wait(lock, [&] {
      return stopped_ || (nextToRead_ < taken_ + slots_.size() && nextToRead_ < taken_ + window_);
    });
    --idle_;
    if (stopped_) return;
    const std::size_t index = nextToRead_++;
    At(index).state = State::Reading;
    if (!Read(lock, index)) return;
    if (index == taken_) done_.notify_one();
  }
}

void ReportReaders::Next(clsFileInfo& info) {
  std::unique_lock lock(mutex_);
  if (slots_.empty()) {
    info = clsFileInfo{};
    return;
  }
  // Nobody has claimed the writer's own component yet (no reader threads, or
  // all of them just woke): the writer reads it rather than wait.
  if (nextToRead_ == taken_ && !stopped_) {
    ++nextToRead_;
    At(taken_).state = State::Reading;
    if (!Read(lock, taken_)) {
      info = clsFileInfo{};
      return;
    }
  }
  done_.wait(lock, [&] { return stopped_ || slots_.front().state >= State::Done; });
  Slot slot = std::move(slots_.front());
  slots_.pop_front();
  ++taken_;
  // The window moved on by one component.
  if (idle_ > 0) work_.notify_one();
  StartReaderIfUseful();
  lock.unlock();
  if (slot.state == State::OutOfMemory) throw std::bad_alloc();
  info = std::move(slot.info);
}

void ReportReaders::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopped_ = true;
  }
  work_.notify_all();
  done_.notify_all();
}

std::size_t ReportReaders::ComponentsRead() const {
  std::lock_guard lock(mutex_);
  return read_;
}

std::size_t ReportReaders::Threads() const {
  std::lock_guard lock(mutex_);
  return threads_.size();
}

}  // namespace korvane
