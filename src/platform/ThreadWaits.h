#pragma once
// Whether a thread has had to wait: for the disk, a network share, a lock or
// a sleep. A read served from the page cache never waits; one that went to
// the disk does, however fast the disk. A thread that only lost its processor
// to other work (a busy machine) has not waited.

#include <cstdint>

namespace korvane::platform {

// How many times the calling thread has gone to sleep waiting for something
// since it started, in count; false (count unchanged) where the system keeps
// no such count.
bool ThreadWaitCount(std::uint64_t& count);

}  // namespace korvane::platform
