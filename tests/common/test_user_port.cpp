// The unattended message-box lines and the answers boxes give by themselves.

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "common/UnattendedPort.h"
#include "common/UserPort.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

// The port of the windows behind an unattended one: counts what reaches it.
class CountingPort final : public UserPort {
 public:
  int MsgBox(const std::string&, int, const std::string&) override {
    ++boxes;
    return kIdOk;
  }
  void DoEvents() override { ++doEvents; }
  int boxes = 0;
  int doEvents = 0;
};

TEST(UnattendedPortTest, LineCarriesIconTitleTextAndAnswer) {
  EXPECT_EQ(UnattendedPort::FormatLine("Are You Sure?", kMbYesNo + kMbIconQuestion,
                                       "Korvane - Registering ActiveX", kIdYes),
            "MSGBOX\tquestion\tKorvane - Registering ActiveX\tAre You Sure?\tyes");
  EXPECT_EQ(UnattendedPort::FormatLine("x", kMbIconError, "T", kIdOk), "MSGBOX\terror\tT\tx\tok");
  EXPECT_EQ(UnattendedPort::FormatLine("x", kMbIconWarning, "T", kIdOk), "MSGBOX\twarning\tT\tx\tok");
  EXPECT_EQ(UnattendedPort::FormatLine("x", kMbIconInformation, "T", kIdNo),
            "MSGBOX\tinformation\tT\tx\tno");
  EXPECT_EQ(UnattendedPort::FormatLine("x", kMbOkOnly, "T", kIdOk), "MSGBOX\tnone\tT\tx\tok");
}

TEST(UnattendedPortTest, LineBreaksTabsAndBackslashesInAFieldAreEscaped) {
  EXPECT_EQ(UnattendedPort::FormatLine("a\nb\r\nc\rd\te\\f", kMbOkOnly, "C:\\x\ty", kIdOk),
            "MSGBOX\tnone\tC:\\\\x\\ty\ta\\nb\\nc\\nd\\te\\\\f\tok");
}

TEST(UnattendedPortTest, QuestionsTakeTheDefaultButtonUnlessForced) {
  test::TempDir dir;
  std::string path = dir.File("out.txt");
  CountingPort windows;
  {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    UnattendedPort defaults(windows, 0, out);
    EXPECT_EQ(defaults.MsgBox("q", kMbYesNo + kMbIconQuestion, "T"), kIdYes);
    EXPECT_EQ(defaults.MsgBox("q", kMbYesNo + kMbDefaultButton2, "T"), kIdNo);
    UnattendedPort no(windows, kIdNo, out);
    EXPECT_EQ(no.MsgBox("q", kMbYesNo, "T"), kIdNo);
    EXPECT_EQ(no.MsgBox("done", kMbIconInformation, "T"), kIdOk);  // OK boxes stay OK
    std::fclose(out);
  }
  EXPECT_EQ(test::ReadFile(path),
            "MSGBOX\tquestion\tT\tq\tyes\nMSGBOX\tnone\tT\tq\tno\nMSGBOX\tnone\tT\tq\tno\n"
            "MSGBOX\tinformation\tT\tdone\tok\n");
  EXPECT_EQ(windows.boxes, 0) << "no box reaches the windows";
}

TEST(UnattendedPortTest, WindowMessagesAreStillProcessedByTheWindowsPort) {
  CountingPort windows;
  {
    test::ScopedEnv off("KORVANE_UNATTENDED", "0");
    EXPECT_EQ(UnattendedPortFromEnvironment(windows), nullptr);
  }
  test::ScopedEnv on("KORVANE_UNATTENDED", "1");
  std::unique_ptr<UserPort> port = UnattendedPortFromEnvironment(windows);
  ASSERT_NE(port, nullptr);
  port->DoEvents();
  port->DoEvents();
  EXPECT_EQ(windows.doEvents, 2);
}

TEST(UnattendedPortTest, EnvironmentSelectsTheModeAndTheAnswer) {
  {
    test::ScopedEnv on("KORVANE_UNATTENDED", "1");
    EXPECT_TRUE(UnattendedRequested());
  }
  {
    test::ScopedEnv off("KORVANE_UNATTENDED", "0");
    EXPECT_FALSE(UnattendedRequested());
  }
  {
    test::ScopedEnv answer("KORVANE_ANSWER", "No");
    EXPECT_EQ(UnattendedAnswerFromEnvironment(), kIdNo);
  }
  {
    test::ScopedEnv answer("KORVANE_ANSWER", "yes");
    EXPECT_EQ(UnattendedAnswerFromEnvironment(), kIdYes);
  }
  {
    test::ScopedEnv answer("KORVANE_ANSWER", "maybe");
    EXPECT_EQ(UnattendedAnswerFromEnvironment(), 0);
  }
}

TEST(UserPortTest, SilentDefaultAnswersWithTheDefaultButton) {
  SetUserPort(nullptr);
  EXPECT_EQ(MsgBox("x", kMbYesNo), kIdYes);
  EXPECT_EQ(MsgBox("x", kMbYesNo + kMbDefaultButton2), kIdNo);
  EXPECT_EQ(MsgBox("x"), kIdOk);
}

}  // namespace
}  // namespace korvane
