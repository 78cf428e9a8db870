#include "common/CarryOn.h"

#include <atomic>
#include <cstdio>

namespace korvane {

namespace {
std::atomic<std::uint64_t> gSkipped{0};
}  // namespace

void RecordSkipped(std::string_view where, std::string_view what) noexcept {
  gSkipped.fetch_add(1, std::memory_order_relaxed);
#ifndef NDEBUG
  std::fprintf(stderr, "korvane: skipped a failing step in %.*s: %.*s\n",
               static_cast<int>(where.size()), where.data(), static_cast<int>(what.size()),
               what.data());
#endif
}

std::uint64_t SkippedSteps() noexcept { return gSkipped.load(std::memory_order_relaxed); }

}  // namespace korvane
