// Registration through the real loader and a real worker thread, with real
// component libraries built by the test build.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "registration/RegistrationOutcome.h"
#include "registration/SelfRegistration.h"
#include "registration/clsRegistrator.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using test::ReadFile;
using test::ScopedEnv;
using test::TempDir;

class SelfRegistrationTest : public ::testing::Test {
 protected:
  TempDir dir;
  ScopedEnv trace{"KORVANE_TEST_TRACE", dir.File("trace.txt")};
  std::string Trace() const { return ReadFile(dir.File("trace.txt")); }
};

TEST_F(SelfRegistrationTest, EmptyNameIsNoFileAndLoadsNothing) {
  clsRegistrator r;
  EXPECT_EQ(r.Register(""), NoFile);
  EXPECT_EQ(r.UnRegister(""), NoFile);
  EXPECT_EQ(Trace(), "");
}

TEST_F(SelfRegistrationTest, MissingFileAndNonLibraryFailToLoad) {
  clsRegistrator r;
  EXPECT_EQ(r.Register(dir.File("missing.dll")), LoadFailed);
  std::string text = dir.Write("notes.txt", "this is not a library\n");
  EXPECT_EQ(r.Register(text), LoadFailed);
  EXPECT_EQ(r.UnRegister(text), LoadFailed);
  // A folder is no library either.
  EXPECT_EQ(r.Register(dir.path().string()), LoadFailed);
}

TEST_F(SelfRegistrationTest, SucceedingEntryPointsRunOnTheWorker) {
  clsRegistrator r;
  EXPECT_EQ(r.Register(KORVANE_COMP_OK), RegistrationSucceeded);
  EXPECT_EQ(r.UnRegister(KORVANE_COMP_OK), UnregistrationSucceeded);
  EXPECT_EQ(Trace(), "register\nunregister\n");
}

TEST_F(SelfRegistrationTest, PlainLibraryLacksTheEntryPoints) {
  clsRegistrator r;
  EXPECT_EQ(r.Register(KORVANE_COMP_PLAIN), EntryPointMissing);
  EXPECT_EQ(r.UnRegister(KORVANE_COMP_PLAIN), EntryPointMissing);
}

TEST_F(SelfRegistrationTest, EachDirectionLooksUpItsOwnEntryPoint) {
  clsRegistrator r;
  EXPECT_EQ(r.Register(KORVANE_COMP_REGONLY), RegistrationSucceeded);
  EXPECT_EQ(r.UnRegister(KORVANE_COMP_REGONLY), EntryPointMissing);
}

TEST_F(SelfRegistrationTest, FailingHResultIsAFailedOutcome) {
  clsRegistrator r;
  EXPECT_EQ(r.Register(KORVANE_COMP_FAIL), RegistrationFailed);
  EXPECT_EQ(r.UnRegister(KORVANE_COMP_FAIL), UnregistrationFailed);
  EXPECT_EQ(Trace(), "register-fail\nunregister-fail\n");
}

TEST_F(SelfRegistrationTest, SuccessCodesOtherThanSOkAreSuccess) {
  clsRegistrator r;
  EXPECT_EQ(r.Register(KORVANE_COMP_SFALSE), RegistrationSucceeded);
  EXPECT_EQ(r.UnRegister(KORVANE_COMP_SFALSE), UnregistrationSucceeded);
}

TEST_F(SelfRegistrationTest, RelativeNameIsLoadedFromTheCurrentFolderNotTheLibraryPath) {
  // A bare name must not be looked up along the library search path.
  clsRegistrator r;
  EXPECT_EQ(r.Register("libc.so.6"), LoadFailed);
}

// The slow component runs for 15 s: the wait gives up after 10 s with the
// failure outcome while the worker goes on inside the still-loaded library,
// and later finishes there without crashing the process.
TEST_F(SelfRegistrationTest, EntryPointThatOutlivesTheWaitIsAFailureAndKeepsItsLibrary) {
  clsRegistrator r;
  EXPECT_EQ(r.Register(KORVANE_COMP_SLOW), RegistrationFailed);
  EXPECT_EQ(Trace(), "");  // still running
  // Wait for the worker to finish inside the library it runs in.
  for (int i = 0; i < 100 && Trace().empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_EQ(Trace(), "register-slow\n");
}

TEST_F(SelfRegistrationTest, UnregistrationThatOutlivesTheWaitIsAFailure) {
  clsRegistrator r;
  EXPECT_EQ(r.UnRegister(KORVANE_COMP_SLOW), UnregistrationFailed);
}

}  // namespace
}  // namespace korvane
