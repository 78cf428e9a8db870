#pragma once
// Threads for work the program waits for: unlike the registration worker of
// Thread.h, such a thread is always joined, so it never outlives its owner.

#include <functional>
#include <memory>

namespace korvane::platform {

class JoinableThread {
 public:
  virtual ~JoinableThread() = default;
  // Waits until the thread's work has returned. Called once; the destructor
  // of a thread not joined yet joins it.
  virtual void Join() = 0;
};

// Starts work on a new thread; null when no thread could be created. The work
// must not let an exception escape.
std::unique_ptr<JoinableThread> StartJoinableThread(std::function<void()> work);

// Processors this process may run on (at least 1).
unsigned ProcessorCount();

}  // namespace korvane::platform
