// Loading component DLLs and running entry points on the worker thread with
// the real Windows calls.

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/win32/WinApi.h"
// WinApi.h first: it removes the macros that clash with the interface names.
#include <objbase.h>

#include "platform/Library.h"
#include "platform/Thread.h"
#include "support/TempDir.h"

namespace korvane::platform {
namespace {

HANDLE g_release = nullptr;  // signalled to let BlockedEntry return

HResult __stdcall FailingEntry() { return static_cast<HResult>(0x80004005u); }
HResult __stdcall StillActiveEntry() { return 259; }  // the value of STILL_ACTIVE
// The worker's COM initialisation: asking for another model must be refused.
HResult __stdcall ApartmentProbe() {
  HRESULT hr = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  if (SUCCEEDED(hr)) ::CoUninitialize();
  return hr;
}
HResult __stdcall BlockedEntry() {
  ::WaitForSingleObject(g_release, INFINITE);
  return 7;
}

HResult RunToEnd(EntryPoint entry) {
  auto worker = CreateWorkerThread(entry);
  EXPECT_NE(worker, nullptr);
  if (!worker) return 0;
  EXPECT_EQ(worker->Wait(10000), kWaitObject0);
  HResult code = 0;
  EXPECT_TRUE(worker->ExitCode(code));
  return code;
}

TEST(Win32Thread, TheEntryPointsResultIsTheExitCodeWhateverItsValue) {
  EXPECT_EQ(RunToEnd(&FailingEntry), static_cast<HResult>(0x80004005u));
  // 259 is also what an unfinished thread reports: it must still count as ended.
  EXPECT_EQ(RunToEnd(&StillActiveEntry), 259);
  EXPECT_EQ(CreateWorkerThread(nullptr), nullptr);
}

TEST(Win32Thread, TheWorkerRunsInsideASingleThreadedApartment) {
  EXPECT_EQ(RunToEnd(&ApartmentProbe), static_cast<HResult>(RPC_E_CHANGED_MODE));
}

TEST(Win32Thread, AWaitThatTimesOutLeavesTheWorkerRunning) {
  g_release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(g_release, nullptr);
  auto worker = CreateWorkerThread(&BlockedEntry);
  ASSERT_NE(worker, nullptr);
  EXPECT_EQ(worker->Wait(50), kWaitTimeout);
  HResult code = 0;
  EXPECT_FALSE(worker->ExitCode(code));
  ::SetEvent(g_release);
  EXPECT_EQ(worker->Wait(10000), kWaitObject0);
  EXPECT_TRUE(worker->ExitCode(code));
  EXPECT_EQ(code, 7);
  ::CloseHandle(g_release);
}

TEST(Win32Library, AComponentLoadsFromAPathWithCharactersBeyondAscii) {
  test::TempDir dir;
  const std::filesystem::path copy = dir.path() / std::filesystem::path(L"Komponente \u00E4\u20AC.dll");
  std::filesystem::copy_file(std::filesystem::path(platform::win32::Wide(KORVANE_COMP_OK)), copy);
  const std::string utf8 = platform::win32::Narrow(copy.wstring());

  LibraryHandle lib = LoadLibrary(utf8);
  ASSERT_NE(lib, nullptr);
  auto entry = reinterpret_cast<EntryPoint>(GetProcAddress(lib, "DllRegisterServer"));
  EXPECT_NE(entry, nullptr);
  EXPECT_NE(GetProcAddress(lib, "DllUnregisterServer"), nullptr);
  EXPECT_EQ(GetProcAddress(lib, "NoSuchExport"), nullptr);
  EXPECT_EQ(GetProcAddress(lib, nullptr), nullptr);
  FreeLibrary(lib);
}

TEST(Win32Library, FilesThatAreNoLibraryDoNotLoad) {
  test::TempDir dir;
  EXPECT_EQ(LoadLibrary(""), nullptr);
  EXPECT_EQ(LoadLibrary(dir.File("absent.dll")), nullptr);
  EXPECT_EQ(LoadLibrary(dir.Write("text.dll", "MZ but nothing more")), nullptr);
  // The plain library loads but has no entry point.
  LibraryHandle plain = LoadLibrary(KORVANE_COMP_PLAIN);
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(GetProcAddress(plain, "DllRegisterServer"), nullptr);
  EXPECT_NE(GetProcAddress(plain, "PlainFunction"), nullptr);
  FreeLibrary(plain);
  EXPECT_EQ(GetProcAddress(nullptr, "DllRegisterServer"), nullptr);
}

TEST(Win32Library, EntryPointsOfTheTestComponentsRunOnTheWorker) {
  LibraryHandle lib = LoadLibrary(KORVANE_COMP_SFALSE);
  ASSERT_NE(lib, nullptr);
  auto entry = reinterpret_cast<EntryPoint>(GetProcAddress(lib, "DllRegisterServer"));
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(RunToEnd(entry), 1);  // S_FALSE
  FreeLibrary(lib);
}

}  // namespace
}  // namespace korvane::platform
