// What RegisterActiveX and UnRegisterActiveX show, and the choice between the
// in-process and the out-of-process way.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "common/UserPort.h"
#include "registration/RegistrationOutcome.h"
#include "registration/clsRegistrator.h"
#include "support/RecordingUserPort.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using test::ReadFile;
using test::RecordingUserPort;
using test::TempDir;

TEST(ProgramFileTest, ExtensionExeInAnyCaseIsAProgram) {
  EXPECT_TRUE(IsProgramFile("C:\\A\\server.exe"));
  EXPECT_TRUE(IsProgramFile("C:\\A\\SERVER.EXE"));
  EXPECT_TRUE(IsProgramFile("/opt/a/Server.Exe"));
  EXPECT_TRUE(IsProgramFile("x.exe"));
  EXPECT_FALSE(IsProgramFile("C:\\tools.exe.bak\\x.dll"));
  EXPECT_FALSE(IsProgramFile("/opt/tools.exe/x.dll"));
  EXPECT_FALSE(IsProgramFile("C:\\A\\server.exe.bak"));
  EXPECT_FALSE(IsProgramFile("C:\\A\\serverexe"));
  EXPECT_FALSE(IsProgramFile(".exe\\"));
  EXPECT_FALSE(IsProgramFile(""));
}

TEST(OutcomeMessageTest, EveryCodeHasItsTextAndIcon) {
  struct Row {
    int code;
    const char* text;
    int icon;
  };
  const Row rows[] = {
      {1, "Selected file could not be loaded into memory!", kMbIconError},
      {2, "Selected file is not a valid ActiveX!", kMbIconWarning},
      {3, "ActiveX Component registration failed!", kMbIconError},
      {4, "ActiveX Component registration successful!", kMbIconInformation},
      {5, "ActiveX Component unregistration successful!", kMbIconInformation},
      {6, "ActiveX Component unregistration failed!", kMbIconError},
      {7, "No file provided!", kMbIconWarning},
  };
  for (const Row& row : rows) {
    ASSERT_NE(OutcomeMessage(row.code), nullptr) << row.code;
    EXPECT_STREQ(OutcomeMessage(row.code), row.text);
    EXPECT_EQ(OutcomeIcon(row.code), row.icon) << row.code;
  }
  EXPECT_EQ(OutcomeMessage(0), nullptr);
  EXPECT_EQ(OutcomeMessage(8), nullptr);
  EXPECT_EQ(OutcomeMessage(-1), nullptr);
}

TEST(RegisterActiveXTest, EmptyPathShowsNoFileWithTheDirectionsTitle) {
  RecordingUserPort port;
  clsRegistrator r;
  r.RegisterActiveX("");
  r.UnRegisterActiveX("");
  ASSERT_EQ(port.boxes.size(), 2u);
  EXPECT_EQ(port.boxes[0].text, "No file provided!");
  EXPECT_EQ(port.boxes[0].flags, kMbOkOnly + kMbIconWarning);
  EXPECT_EQ(port.boxes[0].title, "Korvane - Registering");
  EXPECT_EQ(port.boxes[1].title, "Korvane - UnRegistering");
}

TEST(RegisterActiveXTest, InProcessOutcomesAreReported) {
  TempDir dir;
  test::ScopedEnv trace("KORVANE_TEST_TRACE", dir.File("trace.txt"));
  RecordingUserPort port;
  clsRegistrator r;
  r.RegisterActiveX(KORVANE_COMP_OK);
  r.UnRegisterActiveX(KORVANE_COMP_PLAIN);
  r.RegisterActiveX(KORVANE_COMP_FAIL);
  r.UnRegisterActiveX(dir.File("missing.dll"));
  ASSERT_EQ(port.boxes.size(), 4u);
  EXPECT_EQ(port.boxes[0].text, "ActiveX Component registration successful!");
  EXPECT_EQ(port.boxes[0].flags, kMbIconInformation);
  // Outcomes 1 and 2 keep their message and give the reason as a second paragraph.
  EXPECT_EQ(port.boxes[1].text.rfind("Selected file is not a valid ActiveX!\n\n", 0), 0u) << port.boxes[1].text;
  EXPECT_GT(port.boxes[1].text.size(), std::string("Selected file is not a valid ActiveX!\n\n").size());
  EXPECT_EQ(port.boxes[1].title, "Korvane - UnRegistering");
  EXPECT_EQ(port.boxes[2].text, "ActiveX Component registration failed!");
  EXPECT_EQ(port.boxes[2].flags, kMbIconError);
  EXPECT_EQ(port.boxes[3].text, "Selected file could not be loaded into memory!\n\nThe file does not exist.");
}

TEST(RegisterActiveXTest, OnlyFailuresToLoadOrFindTheEntryPointCarryAReason) {
  TempDir dir;
  test::ScopedEnv trace("KORVANE_TEST_TRACE", dir.File("trace.txt"));
  const clsRegistrator::Result ok = clsRegistrator::Perform(KORVANE_COMP_OK, false);
  const clsRegistrator::Result failing = clsRegistrator::Perform(KORVANE_COMP_FAIL, false);
  const clsRegistrator::Result plain = clsRegistrator::Perform(KORVANE_COMP_PLAIN, false);
  const clsRegistrator::Result missing = clsRegistrator::Perform(dir.File("missing.dll"), true);
  EXPECT_FALSE(ok.diagnosis.has_value());
  EXPECT_FALSE(failing.diagnosis.has_value());
  ASSERT_TRUE(plain.diagnosis.has_value());
  EXPECT_EQ(plain.outcome, EntryPointMissing);  // the reason never changes the outcome
#ifndef _WIN32
  // A native library: the loader's own words, nothing about Windows files.
  EXPECT_EQ(plain.diagnosis->kind, diagnosis::DiagnosisKind::kNoEntryPoint);
  EXPECT_NE(plain.diagnosis->reason.find("undefined symbol: DllRegisterServer"), std::string::npos)
      << plain.diagnosis->reason;
  EXPECT_EQ(plain.diagnosis->reason.find("PE image"), std::string::npos) << plain.diagnosis->reason;
#endif
  ASSERT_TRUE(missing.diagnosis.has_value());
  EXPECT_EQ(missing.outcome, LoadFailed);
  EXPECT_EQ(missing.diagnosis->kind, diagnosis::DiagnosisKind::kFileMissing);
}

class ServerTest : public ::testing::Test {
 protected:
  // A program that records its arguments, named like an out-of-process server.
  std::string MakeServer(const std::string& name) {
    std::string path = dir.Write(name, "#!/bin/sh\necho \"$@\" > \"" + dir.File("args.txt") + "\"\n");
    ::chmod(path.c_str(), 0755);
    return path;
  }
  std::string WaitForArgs() {
    for (int i = 0; i < 100; ++i) {
      std::string args = ReadFile(dir.File("args.txt"));
      if (!args.empty()) return args;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return {};
  }
  TempDir dir;
};

// The servers of these cases are shell scripts: they run on Linux only.
#ifndef _WIN32
TEST_F(ServerTest, ProgramIsStartedWithRegserverAndNothingIsShown) {
  RecordingUserPort port;
  clsRegistrator r;
  r.RegisterActiveX(MakeServer("server.exe"));
  EXPECT_TRUE(port.boxes.empty());
  EXPECT_EQ(port.doEventsCalls, 1);
  EXPECT_EQ(WaitForArgs(), "/regserver\n");
}

TEST_F(ServerTest, UpperCaseExtensionIsAProgramToo) {
  RecordingUserPort port;
  clsRegistrator r;
  r.UnRegisterActiveX(MakeServer("SERVER.EXE"));
  EXPECT_TRUE(port.boxes.empty());
  EXPECT_EQ(WaitForArgs(), "/unregserver\n");
}

#endif

TEST_F(ServerTest, ServerThatCannotStartReportsLoadFailure) {
  RecordingUserPort port;
  clsRegistrator r;
  r.RegisterActiveX(dir.File("absent.exe"));
  std::string notExecutable = dir.Write("data.exe", "MZ not really a program");
  r.UnRegisterActiveX(notExecutable);
  ASSERT_EQ(port.boxes.size(), 2u);
  EXPECT_EQ(port.boxes[0].text, "Selected file could not be loaded into memory!\n\nThe file does not exist.");
  EXPECT_EQ(port.boxes[0].title, "Korvane - Registering");
  EXPECT_EQ(port.boxes[1].title, "Korvane - UnRegistering");
}

#ifndef _WIN32
TEST_F(ServerTest, PerformReportsTheCommandLineItStarted) {
  std::string server = MakeServer("srv.exe");
  clsRegistrator::Result result = clsRegistrator::Perform(server, false);
  EXPECT_TRUE(result.outOfProcess);
  EXPECT_TRUE(result.started);
  EXPECT_EQ(result.commandLine, server + " /regserver");
  EXPECT_EQ(clsRegistrator::MessageOf(result), nullptr);
  WaitForArgs();
}
#endif

}  // namespace
}  // namespace korvane
