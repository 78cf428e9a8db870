#include "platform/ThreadWaits.h"

#include <sys/resource.h>

namespace korvane::platform {

bool ThreadWaitCount(std::uint64_t& count) {
#ifdef RUSAGE_THREAD
  // Voluntary context switches: the thread gave up its processor because it
  // had to wait; being preempted counts elsewhere (ru_nivcsw).
  rusage usage{};
  if (::getrusage(RUSAGE_THREAD, &usage) != 0) return false;
  count = static_cast<std::uint64_t>(usage.ru_nvcsw);
  return true;
#else
  (void)count;
  return false;
#endif
}

}  // namespace korvane::platform
