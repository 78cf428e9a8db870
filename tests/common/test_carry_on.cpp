// Steps the program carries on after: counted when they fail, and only then.

#include <gtest/gtest.h>

#include <stdexcept>

#include "common/CarryOn.h"

namespace korvane {
namespace {

TEST(CarryOnTest, CountsOnlyFailingSteps) {
  const auto before = SkippedSteps();
  int ran = 0;
  EXPECT_TRUE(CarryOn("ok", [&] { ++ran; }));
  EXPECT_EQ(SkippedSteps(), before);
  EXPECT_FALSE(CarryOn("std", [] { throw std::runtime_error("bad"); }));
  EXPECT_FALSE(CarryOn("other", [] { throw 42; }));
  EXPECT_EQ(SkippedSteps(), before + 2);
  EXPECT_EQ(ran, 1);
}

}  // namespace
}  // namespace korvane
