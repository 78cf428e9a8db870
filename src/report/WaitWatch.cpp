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

bool WaitWatch::WaitedSinceLast() {
  const auto now = std::chrono::steady_clock::now();
  const bool longStretch = now - last_ >= kLongStretch;
  last_ = now;
  if (!counted_) return longStretch;
  if (!longStretch && ++uncounted_ < kCallsPerCount) return false;
  uncounted_ = 0;
  const std::uint64_t before = waits_;
  if (!platform::ThreadWaitCount(waits_)) return longStretch;
  return waits_ != before;
}

}  // namespace korvane
