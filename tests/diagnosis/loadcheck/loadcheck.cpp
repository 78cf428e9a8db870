// Compares the diagnosis' prediction with the real loader, file by file: the
// prediction (loads, or error 126/127/193) is made in this process without
// loading anything; the answer comes from a child process of this program
// that calls LoadLibraryExW as korvane does, so that no module loaded for one
// file can satisfy the next one's imports.
//
// Usage:
//   korvane-loadcheck FILE...                     each file as it is
//   korvane-loadcheck --hide WORKDIR FOLDER...    every DLL of the folders (not
//       recursive), copied to WORKDIR under a new name with one imported
//       module's name changed so that it is found nowhere
//   korvane-loadcheck --copy WORKDIR FOLDER...    the same copies, nothing hidden
//   --every N before --hide or --copy takes every Nth DLL only
//   korvane-loadcheck --load FILE                 (child) exit code = the loader's error
// Prints one line per file (AGREE, DIFF, WINE or OTHER, predicted, actual,
// kind, file) and a SUMMARY line; exit 0 only when no prediction differs.
//
// WINE: two behaviours of Wine's loader that Windows does not have, counted
// apart, neither agreeing nor differing: a missing imported function does not
// stop the load (Wine puts a stub in its place that fails when called, where
// Windows refuses with 127), and a module named like Wine's 16-bit modules
// (krnl386.exe16) is Wine's own, with no file of that name anywhere.
// Answers other than 0, 126, 127 and 193 (a library whose initialisation
// fails, 1114) cannot be told from the file and are counted as "other".

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/win32/WinApi.h"
// WinApi.h first: the headers below declare functions named like its macros.

#include "diagnosis/Diagnosis.h"
#include "diagnosis/LoaderRules.h"
#include "formats/PeImports.h"

namespace {

using namespace korvane;
namespace fs = std::filesystem;

// Wine marks its own PE libraries with this text after the DOS header; a copy
// that keeps it is replaced by Wine's built-in module of the same name.
constexpr char kWineBuiltinMark[] = "Wine builtin DLL";
constexpr std::size_t kWineMarkOffset = 0x40;

bool RunsUnderWine() {
  HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// "krnl386.exe16", "gdi.exe16", "mmsystem.dll16": an extension followed by "16".
bool IsWine16BitName(const std::string& name) {
  const std::size_t dot = name.find_last_of('.');
  return dot != std::string::npos && name.size() > dot + 3 && name.compare(name.size() - 2, 2, "16") == 0;
}

int LoadInChild(const std::wstring& self, const std::string& file) {
  std::wstring command = L"\"" + self + L"\" --load \"" + platform::win32::Wide(file) + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!::CreateProcessW(self.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    return -1;
  }
  // A library whose initialisation hangs counts as a failure to answer.
  DWORD code = static_cast<DWORD>(-2);
  if (::WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0) {
    ::GetExitCodeProcess(pi.hProcess, &code);
  } else {
    ::TerminateProcess(pi.hProcess, static_cast<UINT>(-2));
  }
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
  return static_cast<int>(code);
}

int LoadHere(const std::string& file) {
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE module = ::LoadLibraryExW(platform::win32::Wide(file).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (module == nullptr) return static_cast<int>(::GetLastError());
  // Ended without unloading: some libraries do not survive their own detach.
  ::TerminateProcess(::GetCurrentProcess(), 0);
  return 0;
}

struct Tally {
  int files = 0;
  int agree = 0;
  int wineOnly = 0;
  int unforeseeable = 0;
  int loads = 0, e126 = 0, e127 = 0, e193 = 0, other = 0;  // the real loader's answers
};

void Check(Tally& t, const std::wstring& self, const std::string& file, const std::string& label) {
  const diagnosis::Diagnosis d = diagnosis::DiagnoseLoadFailure(file);
  const int actual = LoadInChild(self, file);
  ++t.files;
  switch (actual) {
    case 0: ++t.loads; break;
    case 126: ++t.e126; break;
    case 127: ++t.e127; break;
    case 193: ++t.e193; break;
    default: ++t.other;
  }
  const bool same = actual == d.predictedError;
  const bool wineOnly = RunsUnderWine() && actual == 0 &&
                        (d.predictedError == diagnosis::kErrorProcNotFound ||
                         (d.predictedError == diagnosis::kErrorModNotFound && IsWine16BitName(d.module)));
  const bool unforeseeable = !same && !wineOnly && actual != 0 && actual != 126 && actual != 127 && actual != 193;
  const char* verdict = same ? "AGREE" : wineOnly ? "WINE" : unforeseeable ? "OTHER" : "DIFF";
  t.agree += same;
  t.wineOnly += wineOnly;
  t.unforeseeable += unforeseeable;
  std::printf("%s\tpredicted=%d\tactual=%d\t%s\t%s\t%s\n", verdict, d.predictedError, actual,
              diagnosis::DiagnosisKindName(d.kind), label.c_str(), same ? "" : d.reason.c_str());
  std::fflush(stdout);
}

std::vector<std::uint8_t> ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The first plain import that is an ordinary module name: the one to hide.
const formats::ImportedModule* HideTarget(const formats::PeModuleInfo& info) {
  for (const auto& m : info.imports) {
    if (!m.delayLoaded && !diagnosis::IsApiSetName(m.dllName) && m.dllName.size() > 4) return &m;
  }
  return nullptr;
}

// Renames every NUL-delimited occurrence of name to a name no folder holds
// (same length: its last character before the extension becomes '~').
bool HideImport(std::vector<std::uint8_t>& bytes, const std::string& name) {
  std::string hidden = name;
  const std::size_t dot = hidden.find_last_of('.');
  const std::size_t at = (dot == std::string::npos || dot == 0) ? hidden.size() - 1 : dot - 1;
  hidden[at] = '~';
  bool changed = false;
  std::vector<std::uint8_t> pattern(name.begin(), name.end());
  pattern.push_back(0);
  for (auto it = bytes.begin(); (it = std::search(it, bytes.end(), pattern.begin(), pattern.end())) != bytes.end();
       it += static_cast<std::ptrdiff_t>(pattern.size())) {
    if (it != bytes.begin() && *(it - 1) != 0) continue;
    std::copy(hidden.begin(), hidden.end(), it);
    changed = true;
  }
  return changed;
}

void CheckCopies(Tally& t, const std::wstring& self, const fs::path& work, const fs::path& folder, bool hide,
                 std::size_t every) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    std::string ext = entry.path().extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ext == ".dll" && entry.is_regular_file(ec)) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  int index = 0;
  for (std::size_t n = 0; n < files.size(); n += every) {
    const fs::path& file = files[n];
    std::vector<std::uint8_t> bytes = ReadAll(file);
    const auto read = formats::ReadPeModule(bytes);
    if (!read || read->damage) continue;
    const formats::PeModuleInfo& info = *read;
    const formats::ImportedModule* target = HideTarget(info);
    if (target == nullptr || (hide && !HideImport(bytes, target->dllName))) continue;
    if (bytes.size() > kWineMarkOffset + sizeof kWineBuiltinMark &&
        std::equal(kWineBuiltinMark, kWineBuiltinMark + sizeof kWineBuiltinMark - 1,
                   bytes.begin() + kWineMarkOffset)) {
      bytes[kWineMarkOffset] = 'X';
    }
    // Each copy alone in a folder of its own, under a name no system module has.
    const fs::path dir = work / std::to_string(index++);
    fs::create_directories(dir, ec);
    const fs::path copy = dir / ("k_" + file.filename().string());
    std::ofstream(copy, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    Check(t, self, copy.string(), hide ? copy.string() + " (" + target->dllName + " hidden)" : copy.string());
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(platform::win32::Narrow(argv[i]));
  if (args.size() == 2 && args[0] == "--load") return LoadHere(args[1]);
  const std::wstring self = argv[0];
  std::wstring selfPath(MAX_PATH * 4, L'\0');
  selfPath.resize(::GetModuleFileNameW(nullptr, selfPath.data(), static_cast<DWORD>(selfPath.size())));

  Tally t;
  std::size_t every = 1;
  if (args.size() >= 2 && args[0] == "--every") {
    every = std::max(1, std::atoi(args[1].c_str()));
    args.erase(args.begin(), args.begin() + 2);
  }
  if (!args.empty() && (args[0] == "--hide" || args[0] == "--copy")) {
    if (args.size() < 3) return 2;
    for (std::size_t i = 2; i < args.size(); ++i) CheckCopies(t, selfPath, args[1], args[i], args[0] == "--hide", every);
  } else {
    for (const std::string& file : args) Check(t, selfPath, file, file);
  }
  const int differ = t.files - t.agree - t.wineOnly - t.unforeseeable;
  std::printf("SUMMARY\tfiles=%d\tagree=%d\tdiffer=%d\twine-only=%d\tunforeseeable=%d\t"
              "real: loaded=%d 126=%d 127=%d 193=%d other=%d\n",
              t.files, t.agree, differ, t.wineOnly, t.unforeseeable, t.loads, t.e126, t.e127, t.e193, t.other);
  return differ == 0 ? 0 : 1;
}
