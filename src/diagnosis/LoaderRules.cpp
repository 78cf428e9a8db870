#include "diagnosis/LoaderRules.h"

#include <algorithm>
#include <array>

#include "formats/TextCodec.h"

namespace korvane::diagnosis {

namespace {

// The KnownDLLs list of Windows 10 and 11, with ntdll and kernelbase, which
// are always mapped already: these come from the system folder only.
constexpr std::array<std::string_view, 32> kKnownDlls = {
    "advapi32.dll", "clbcatq.dll",  "combase.dll",  "comdlg32.dll", "coml2.dll",
    "difxapi.dll",  "gdi32.dll",    "gdiplus.dll",  "imagehlp.dll", "imm32.dll",
    "kernel32.dll", "kernelbase.dll", "msctf.dll",  "msvcrt.dll",   "normaliz.dll",
    "nsi.dll",      "ntdll.dll",    "ole32.dll",    "oleaut32.dll", "psapi.dll",
    "rpcrt4.dll",   "sechost.dll",  "setupapi.dll", "shcore.dll",   "shell32.dll",
    "shlwapi.dll",  "user32.dll",   "wldap32.dll",  "wow64.dll",    "wow64win.dll",
    "ws2_32.dll",   "wow64cpu.dll"};

}  // namespace

std::string FoldName(std::string_view name) { return formats::ToLowerAscii(name); }

bool IsApiSetName(std::string_view name) {
  const std::string folded = FoldName(name);
  return folded.rfind("api-ms-win-", 0) == 0 || folded.rfind("ext-ms-", 0) == 0;
}

bool IsKnownDll(std::string_view name) {
  const std::string folded = FoldName(name);
  return std::find(kKnownDlls.begin(), kKnownDlls.end(), folded) != kKnownDlls.end();
}

std::string SearchName(std::string_view imported) {
  std::string name(imported);
  if (!name.empty() && name.back() == '.') {
    name.pop_back();
    return name;
  }
  const std::size_t slash = name.find_last_of("\\/");
  const std::size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) name += ".dll";
  return name;
}

}  // namespace korvane::diagnosis
