// The forgiving Boolean conversion and the NUL cut.

#include <gtest/gtest.h>

#include "common/basTools.h"

namespace korvane {
namespace {

TEST(SafeBoolTest, WordsInAnyCase) {
  EXPECT_TRUE(SafeBool("true"));
  EXPECT_TRUE(SafeBool("TRUE"));
  EXPECT_TRUE(SafeBool("True"));
  EXPECT_FALSE(SafeBool("false"));
  EXPECT_FALSE(SafeBool("FaLsE"));
  EXPECT_TRUE(SafeBool(" true "));
}

TEST(SafeBoolTest, NumbersAreFalseOnlyWhenZero) {
  EXPECT_TRUE(SafeBool("1"));
  EXPECT_TRUE(SafeBool("-1"));
  EXPECT_TRUE(SafeBool("0.5"));
  EXPECT_TRUE(SafeBool("&H10"));
  EXPECT_FALSE(SafeBool("0"));
  EXPECT_FALSE(SafeBool("0.0"));
  EXPECT_FALSE(SafeBool("&H0"));
}

TEST(SafeBoolTest, AnythingElseIsFalse) {
  EXPECT_FALSE(SafeBool(""));
  EXPECT_FALSE(SafeBool("maybe"));
  EXPECT_FALSE(SafeBool("yes"));
  EXPECT_FALSE(SafeBool("inf"));
  EXPECT_FALSE(SafeBool("nan"));
  EXPECT_FALSE(SafeBool("1x"));
  EXPECT_FALSE(SafeBool(std::string("true\0", 5)));
}

TEST(StripNullTest, CutsAtTheFirstNul) {
  EXPECT_EQ(StripNull("C:\\WINDOWS\\system32"), "C:\\WINDOWS\\system32");
  EXPECT_EQ(StripNull(std::string("\0abc", 4)), "");
  EXPECT_EQ(StripNull(std::string("C:\\WINDOWS\\system32\0\0\0\0", 23)), "C:\\WINDOWS\\system32");
  EXPECT_EQ(StripNull(""), "");
}

}  // namespace
}  // namespace korvane
