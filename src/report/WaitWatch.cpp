#include "report/WaitWatch.h"

#include "platform/ThreadWaits.h"

namespace korvane {

namespace {

// A listing or a read served from the page cache takes tens of microseconds;
// a stretch this long between two calls may have waited.
constexpr auto kLongStretch = std::chrono::microseconds(500);
// Short stretches add up their waits (a fast disk) until this many calls.
constexpr unsigned kCallsPerCount = 32;

}  // namespace

WaitWatch::WaitWatch()
    : last_(std::chrono::steady_clock::now()), counted_(platform::ThreadWaitCount(waits_)) {}

void WaitWatch::Restart() {
  last_ = std::chrono::steady_clock::now();
  counted_ = platform::ThreadWaitCount(waits_);
  uncounted_ = 0;
}

bool WaitWatch::WaitedSinceRestart() { return AskCount(EndStretch()); }

bool WaitWatch::WaitedSinceLast() {
  const bool longStretch = EndStretch();
  if (counted_ && !longStretch && ++uncounted_ < kCallsPerCount) return false;
  return AskCount(longStretch);
}

bool WaitWatch::EndStretch() {
  const auto now = std::chrono::steady_clock::now();
  const bool longStretch = now - last_ >= kLongStretch;
  last_ = now;
  return longStretch;
}

bool WaitWatch::AskCount(bool longStretch) {
  if (!counted_) return longStretch;
  uncounted_ = 0;
  const std::uint64_t before = waits_;
  if (!platform::ThreadWaitCount(waits_)) return longStretch;
  return waits_ != before;
}

}  // namespace korvane
