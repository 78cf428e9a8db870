#include "platform/ThreadWaits.h"

namespace korvane::platform {

// Windows counts a thread's context switches without telling a wait from a
// preemption (and only through the native system information call), so the
// caller judges by time alone.
bool ThreadWaitCount(std::uint64_t&) { return false; }

}  // namespace korvane::platform
