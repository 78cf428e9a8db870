// Registration through the real loader and a real worker thread, with real
// component libraries built by the test build.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "platform/Process.h"
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

// A worker that never ends and notes each wait for it.
class NeverEndingWorker final : public platform::WorkerThread {
 public:
  explicit NeverEndingWorker(std::vector<std::uint32_t>& waits) : waits_(waits) {}
  std::uint32_t Wait(std::uint32_t ms) override {
    waits_.push_back(ms);
    return platform::kWaitTimeout;
  }
  bool ExitCode(std::int32_t&) const override { return false; }

 private:
  std::vector<std::uint32_t>& waits_;
};

// The whole request, loading included, is the worker's job, and the caller
// waits for it once, exactly ten seconds, then reports the failure.
TEST_F(SelfRegistrationTest, TheWorkerDoesTheLoadingAndIsWaitedForTenSeconds) {
  const struct {
    RegistrationDirection direction;
    std::int32_t outcome;
  } rows[] = {{RegistrationDirection::Register, RegistrationFailed},
              {RegistrationDirection::Unregister, UnregistrationFailed}};
  for (const auto& row : rows) {
    std::vector<std::uint32_t> waits;
    bool jobGiven = false;
    auto start = [&](platform::WorkerJob job) -> std::unique_ptr<platform::WorkerThread> {
      jobGiven = static_cast<bool>(job);
      return std::make_unique<NeverEndingWorker>(waits);
    };
    EXPECT_EQ(CallSelfRegistration(KORVANE_COMP_OK, row.direction, start), row.outcome);
    EXPECT_TRUE(jobGiven);
    EXPECT_EQ(waits, std::vector<std::uint32_t>{10000});
  }
  EXPECT_EQ(Trace(), "") << "nothing of the library ran outside the worker";
}

// Loading can hang (a library constructor, DllMain) as well as the entry
// point; it is bounded by the same wait with the same failure, and the caller
// goes on, for a later request too (which the held loader makes fail). The
// hanging loader keeps its lock, so this runs in a process of its own, which
// ends with both outcomes as its exit code (ended at once, as korvane-cli
// does: a normal exit would wait for the loader too).
int HangThenRegisterAgain() {
  const std::int32_t hung = CallSelfRegistration(KORVANE_COMP_HANG, RegistrationDirection::Register);
  const std::int32_t next = CallSelfRegistration(KORVANE_COMP_OK, RegistrationDirection::Unregister);
  return hung * 10 + next;
}

TEST(SelfRegistrationHangTest, LoadingThatHangsFailsAfterTheWait) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(platform::EndProcess(HangThenRegisterAgain()),
              ::testing::ExitedWithCode(RegistrationFailed * 10 + UnregistrationFailed), "");
}

#ifndef _WIN32
// Only a plain file reaches the loader: opening a FIFO waits for a writer,
// for ever. A link to a component is that component.
TEST_F(SelfRegistrationTest, WhatIsNoPlainFileIsNotLoadable) {
  clsRegistrator r;
  const std::string fifo = dir.File("pipe.dll");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(r.Register(fifo), LoadFailed);
  EXPECT_EQ(r.UnRegister(fifo), LoadFailed);
  EXPECT_EQ(r.Register("/dev/zero"), LoadFailed);
  const std::string link = dir.File("link.dll");
  std::filesystem::create_symlink(KORVANE_COMP_OK, link);
  EXPECT_EQ(r.Register(link), RegistrationSucceeded);
  EXPECT_EQ(Trace(), "register\n");
}
#endif

}  // namespace
}  // namespace korvane
