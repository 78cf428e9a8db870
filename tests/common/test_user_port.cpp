// The unattended message-box lines and the answers boxes give by themselves.

#include <gtest/gtest.h>

#include <cstdio>

#include "common/UnattendedPort.h"
#include "common/UserPort.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

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

TEST(UnattendedPortTest, LineBreaksTabsAndBackslashesAreEscapedSoABoxStaysOneLine) {
  EXPECT_EQ(UnattendedPort::FormatLine("first\n\nsecond\tC:\\x.dll", kMbIconError, "a\tb", kIdOk),
            "MSGBOX\terror\ta\\tb\tfirst\\n\\nsecond\\tC:\\\\x.dll\tok");
}

TEST(UnattendedPortTest, QuestionsTakeTheDefaultButtonUnlessForced) {
  test::TempDir dir;
  std::string path = dir.File("out.txt");
  {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    UnattendedPort defaults(0, out);
    EXPECT_EQ(defaults.MsgBox("q", kMbYesNo + kMbIconQuestion, "T"), kIdYes);
    EXPECT_EQ(defaults.MsgBox("q", kMbYesNo + kMbDefaultButton2, "T"), kIdNo);
    UnattendedPort no(kIdNo, out);
    EXPECT_EQ(no.MsgBox("q", kMbYesNo, "T"), kIdNo);
    EXPECT_EQ(no.MsgBox("done", kMbIconInformation, "T"), kIdOk);  // OK boxes stay OK
    std::fclose(out);
  }
  EXPECT_EQ(test::ReadFile(path),
            "MSGBOX\tquestion\tT\tq\tyes\nMSGBOX\tnone\tT\tq\tno\nMSGBOX\tnone\tT\tq\tno\n"
            "MSGBOX\tinformation\tT\tdone\tok\n");
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
