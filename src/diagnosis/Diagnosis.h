#pragma once
// Why a component cannot be loaded or registered, as one of a fixed set of
// findings drawn from its headers and its dependency tree, with the error the
// Windows loader gives for it.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "diagnosis/DependencyTree.h"
#include "platform/Library.h"

namespace korvane::diagnosis {

enum class DiagnosisKind {
  kFileMissing,
  kNotPeImage,
  kWrongArchitecture,
  kDependencyMissing,
  kFunctionMissing,
  kNoEntryPoint,
  kNothingFound,
  kWindowsLibrary,  // a PE file where the loader takes native libraries (Linux)
  kLoaderRefused,   // a native library the loader refused, in its own words
};

// Loader errors (GetLastError after LoadLibrary); 0 when the library loads.
inline constexpr int kLoadsFine = 0;
inline constexpr int kErrorModNotFound = 126;
inline constexpr int kErrorProcNotFound = 127;
inline constexpr int kErrorBadExeFormat = 193;

struct Diagnosis {
  DiagnosisKind kind = DiagnosisKind::kNothingFound;
  std::string reason;                 // one sentence for the user
  int predictedError = kLoadsFine;    // what LoadLibrary is expected to give
  std::string file;                   // the component
  std::vector<std::string> chain;     // from the component to the module at fault
  std::string module;                 // the dependency at fault
  std::string function;               // the function it lacks
  std::string fileMachine;            // wrong architecture: the file's processor
  std::string programMachine;         //   and this program's
  std::vector<std::string> lookalikes;  // no entry point: exports that look like one
  std::vector<std::string> notes;     // delay-loaded modules that are missing, ...
};

// The diagnosis of the file at path, from a walk of its dependency tree.
Diagnosis Diagnose(const std::string& path, DependencyWalker& walker);
// The same from a tree already walked (fileExists: whether path names a file).
Diagnosis DiagnoseTree(const std::string& path, bool fileExists, const DependencyTree& tree);

// Called only when loading a component or finding its entry point failed:
// the reason, with the platform's folders. Where the loader takes native
// libraries, DiagnoseNativeLoadFailure with the loader's last failure.
Diagnosis DiagnoseLoadFailure(const std::string& path);
// A Windows library is sent to Wine; for a native one the loader's own words
// say what it lacks (a dependency, a symbol, the entry point).
Diagnosis DiagnoseNativeLoadFailure(const std::string& path, const platform::LoaderFailure& failure);

const char* DiagnosisKindName(DiagnosisKind kind);

// An export whose name suggests a registration entry point under another
// spelling (letter case, decoration, extra words); listed when the real ones
// are missing.
bool LooksLikeEntryPoint(std::string_view name);

}  // namespace korvane::diagnosis
