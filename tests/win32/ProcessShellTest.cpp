// Facts about the process and the machine, from the real Windows calls.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/win32/WinApi.h"
// WinApi.h first: it removes the macros that clash with the interface names.
#include "platform/Process.h"
#include "platform/Shell.h"
#include "support/TempDir.h"

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

// Run as a child by the test below: writes ArgumentText() to the file that
// KORVANE_W32_ARGS_OUT names. Without that variable there is nothing to do.
TEST(Win32Process, WriteArgumentTextForParent) {
  const std::string out = GetEnv("KORVANE_W32_ARGS_OUT");
  if (out.empty()) GTEST_SKIP() << "only run as a child process";
  std::ofstream(std::filesystem::path(win32::Wide(out)), std::ios::binary) << ArgumentText();
}

// Starts this program with a given command line and returns what the child's
// ArgumentText() was.
std::string ChildArgumentText(const std::wstring& commandLine, const test::TempDir& dir) {
  const std::string out = dir.File("args.txt");
  ::SetEnvironmentVariableW(L"KORVANE_W32_ARGS_OUT", win32::Wide(out).c_str());
  wchar_t exe[MAX_PATH * 4] = {};
  ::GetModuleFileNameW(nullptr, exe, MAX_PATH * 4);
  std::wstring line = commandLine;  // CreateProcessW may write into it
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const BOOL started = ::CreateProcessW(exe, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                        nullptr, &si, &pi);
  ::SetEnvironmentVariableW(L"KORVANE_W32_ARGS_OUT", nullptr);
  if (!started) return "<not started>";
  ::WaitForSingleObject(pi.hProcess, 60000);
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
  return test::ReadFile(out);
}

TEST(Win32Process, ArgumentTextIsWhatFollowsTheProgramPathWithoutLeadingBlanks) {
  test::TempDir dir;
  wchar_t exe[MAX_PATH * 4] = {};
  ASSERT_GT(::GetModuleFileNameW(nullptr, exe, MAX_PATH * 4), 0u);
  const std::wstring filter = L"--gtest_filter=Win32Process.WriteArgumentTextForParent";
  // A quoted program path, blanks and a tab before the arguments, quotes kept.
  EXPECT_EQ(ChildArgumentText(L"\"" + std::wstring(exe) + L"\"  \t" + filter + L" -r \"C:\\a b\\x.dll\"", dir),
            win32::Narrow(filter) + " -r \"C:\\a b\\x.dll\"");
  // An unquoted program path ends at the first blank; text beyond ASCII survives.
  if (std::wstring_view(exe).find(L' ') == std::wstring_view::npos) {
    EXPECT_EQ(ChildArgumentText(std::wstring(exe) + L" " + filter + L" \u00C4rger\u20AC", dir),
              win32::Narrow(filter) + " \xC3\x84rger\xE2\x82\xAC");
  }
}

TEST(Win32Shell, AProgramIsStartedWithItsParametersAndNotWaitedFor) {
  test::TempDir dir;
  const std::string out = dir.File("shell-args.txt");
  wchar_t exe[MAX_PATH * 4] = {};
  ASSERT_GT(::GetModuleFileNameW(nullptr, exe, MAX_PATH * 4), 0u);
  const std::string parameters = "--gtest_filter=Win32Process.WriteArgumentTextForParent \"x y\"";
  // The child inherits the variable that tells it where to write.
  ::SetEnvironmentVariableW(L"KORVANE_W32_ARGS_OUT", win32::Wide(out).c_str());
  const bool started = ShellExecuteOpen(win32::Narrow(exe), parameters);
  ::SetEnvironmentVariableW(L"KORVANE_W32_ARGS_OUT", nullptr);
  ASSERT_TRUE(started);
  std::string written;
  for (int i = 0; i < 600 && written.empty(); ++i) {  // nothing waited above: poll here
    ::Sleep(50);
    written = test::ReadFile(out);
  }
  EXPECT_EQ(written, parameters);
}

TEST(Win32Shell, NothingToOpenIsReportedAsFailure) {
  EXPECT_FALSE(ShellExecuteOpen(""));
  EXPECT_FALSE(ShellExecuteOpen("C:\\korvane-no-such-folder\\no-such-file.txt"));
}

}  // namespace
}  // namespace korvane::platform
