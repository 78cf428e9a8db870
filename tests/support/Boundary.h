#pragma once
// Table-driven tests of a reader's length and offset checks: each case builds
// its input one byte (or unit) short of the check's limit, at the limit and
// one over, and names the outcome expected for each, so that a check weakened
// or tightened by one changes an outcome.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace korvane::test {

struct Boundary {
  const char* check;
  std::function<std::vector<std::uint8_t>(int delta)> build;  // the input `delta` from the limit
  const char* oneShort;  // delta -1
  const char* atLimit;   // delta 0
  const char* oneOver;   // delta +1
};

// How an outcome is compared with the expected text.
enum class Match { kWhole, kPart };

inline void ExpectAtLimits(const std::vector<Boundary>& cases,
                           const std::function<std::string(const std::vector<std::uint8_t>&)>& describe,
                           Match match = Match::kWhole) {
  for (const auto& c : cases) {
    SCOPED_TRACE(c.check);
    const std::pair<int, const char*> outcomes[] = {{-1, c.oneShort}, {0, c.atLimit}, {1, c.oneOver}};
    for (const auto& [delta, expected] : outcomes) {
      const std::string seen = describe(c.build(delta));
      if (match == Match::kWhole) {
        EXPECT_EQ(seen, expected) << "delta " << delta;
      } else {
        EXPECT_NE(seen.find(expected), std::string::npos) << "delta " << delta << ": " << seen;
      }
    }
  }
}

}  // namespace korvane::test
