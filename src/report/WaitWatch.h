#pragma once
// Watches one thread for waits: whether it has had to wait for the disk (or
// a share) since it was last asked. A read served from the page cache never
// waits, however busy the machine; a read that goes to the disk always does.

#include <chrono>
#include <cstdint>

namespace korvane {

class WaitWatch {
 public:
  // Watches the calling thread from now on.
  WaitWatch();

  // Whether the watched thread (the caller) had to wait since the last call,
  // Restart, or since it was made. Cheap enough to ask after every listing:
  // the system's count is asked only after a long stretch, and every few
  // calls. Where the system keeps no count, a long stretch is taken for a
  // wait.
  bool WaitedSinceLast();
  // Starts a stretch anew: what the thread did before (a window's drawing,
  // say) no longer counts.
  void Restart();
  // Whether the thread had to wait since Restart, asking the system's count
  // whatever the stretch took (a fast disk waits briefly).
  bool WaitedSinceRestart();

 private:
  // Ends the stretch now; whether it was long.
  bool EndStretch();
  // Whether the system's count grew (a long stretch where it keeps none).
  bool AskCount(bool longStretch);

  std::chrono::steady_clock::time_point last_;
  std::uint64_t waits_ = 0;
  bool counted_ = false;
  unsigned uncounted_ = 0;  // calls since the count was last asked
};

}  // namespace korvane
