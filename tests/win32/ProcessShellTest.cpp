// Facts about the process and the machine, from the real Windows calls.

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/win32/WinApi.h"
// WinApi.h first: it removes the macros that clash with the interface names.
#include "platform/Process.h"
#include "platform/Shell.h"

namespace korvane::platform {
namespace {

TEST(Win32Process, AppPathIsTheProgramsFolderWithOneSeparator) {
  wchar_t exe[MAX_PATH * 4] = {};
  ASSERT_GT(::GetModuleFileNameW(nullptr, exe, MAX_PATH * 4), 0u);
  const std::string folder = win32::Narrow(std::filesystem::path(exe).parent_path().wstring());
  const std::string app = AppPath();
  EXPECT_EQ(app, folder + "\\");
  EXPECT_NE(app.substr(app.size() - 2), "\\\\");
  EXPECT_EQ(ProgramFileName(), "korvane.exe");
}

TEST(Win32Process, SystemDirectoryIsAnExistingFolder) {
  const std::string dir = SystemDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(win32::Wide(dir))));
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(win32::Wide(dir + "\\kernel32.dll"))));
}

TEST(Win32Process, EnvironmentValuesComeBackAsUtf8) {
  ASSERT_TRUE(::SetEnvironmentVariableW(L"KORVANE_W32_ENV", L"Stra\u00DFe \u20AC"));
  EXPECT_EQ(GetEnv("KORVANE_W32_ENV"), "Stra\xC3\x9F" "e \xE2\x82\xAC");
  // Longer than the first buffer the lookup tries.
  const std::wstring longValue(5000, L'x');
  ASSERT_TRUE(::SetEnvironmentVariableW(L"KORVANE_W32_ENV", longValue.c_str()));
  EXPECT_EQ(GetEnv("KORVANE_W32_ENV"), std::string(5000, 'x'));
  ::SetEnvironmentVariableW(L"KORVANE_W32_ENV", nullptr);
  EXPECT_EQ(GetEnv("KORVANE_W32_ENV"), "");
}

TEST(Win32Process, ArgumentTextIsWhatFollowsTheProgramPath) {
  // The test runner's own command line: whatever follows the program path is
  // handed on without its leading blanks.
  const std::string text = ArgumentText();
  EXPECT_TRUE(text.empty() || (text.front() != ' ' && text.front() != '\t')) << text;
  EXPECT_EQ(std::string(win32::Narrow(::GetCommandLineW())).find(text) != std::string::npos, true);
}

TEST(Win32Shell, NothingToOpenIsReportedAsFailure) {
  EXPECT_FALSE(ShellExecuteOpen(""));
  EXPECT_FALSE(ShellExecuteOpen("C:\\korvane-no-such-folder\\no-such-file.txt"));
}

}  // namespace
}  // namespace korvane::platform
