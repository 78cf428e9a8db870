#include "diagnosis/Diagnosis.h"

#include <functional>

#include "diagnosis/LoaderRules.h"
#include "diagnosis/ModuleFile.h"
#include "platform/FileSystem.h"
#include "platform/Library.h"
#include "platform/LoaderSearch.h"

namespace korvane::diagnosis {

namespace {

constexpr const char* kEntryPoints[] = {"DllRegisterServer", "DllUnregisterServer"};

std::string Width(std::uint16_t machine) {
  switch (machine) {
    case formats::kMachineI386: return "32-bit (x86)";
    case formats::kMachineAmd64: return "64-bit (x64)";
    case formats::kMachineArmNt: return "32-bit (ARM)";
    case formats::kMachineArm64: return "64-bit (ARM64)";
  }
  return formats::MachineName(machine);
}

std::string JoinChain(const std::vector<std::string>& chain) {
  std::string text;
  for (const std::string& name : chain) text += (text.empty() ? "" : " -> ") + name;
  return text;
}

// The first node, in tree order, that the test picks; its chain of names.
const DependencyNode* FindNode(const DependencyNode& root,
                               const std::function<bool(const DependencyNode&)>& test,
                               std::vector<std::string>& chain) {
  chain.push_back(root.name);
  if (test(root)) return &root;
  for (const DependencyNode& child : root.children) {
    if (const DependencyNode* found = FindNode(child, test, chain)) return found;
  }
  chain.pop_back();
  return nullptr;
}

bool ModuleFails(const DependencyNode& n) {
  return !n.delayLoaded && (n.state == NodeState::kMissing || n.state == NodeState::kWrongMachine ||
                            n.state == NodeState::kNotPe);
}

bool FunctionFails(const DependencyNode& n) { return !n.delayLoaded && !n.missing.empty(); }

void AddDelayNotes(const DependencyNode& node, std::vector<std::string>& notes) {
  for (const DependencyNode& child : node.children) {
    if (child.delayLoaded && (child.state == NodeState::kMissing || child.state == NodeState::kWrongMachine)) {
      notes.push_back(child.name + " is loaded only when first used (delay-load) and is not found: " +
                      node.name + " loads, but calls into " + child.name + " will fail");
    }
    AddDelayNotes(child, notes);
  }
}

}  // namespace

// A name of the entry points' shape in another letter case, with a
// compiler's decoration (_DllRegisterServer@0) or a variation of the words
// (RegisterServer, DllRegisterServerEx), or DllInstall.
bool LooksLikeEntryPoint(std::string_view name) {
  std::string folded = FoldName(name);
  while (!folded.empty() && folded.front() == '_') folded.erase(0, 1);
  const std::size_t at = folded.find('@');
  if (at != std::string::npos) folded.erase(at);
  return folded.find("registerserver") != std::string::npos || folded.find("dllregister") != std::string::npos ||
         folded.find("dllunregister") != std::string::npos || folded == "dllinstall";
}

const char* DiagnosisKindName(DiagnosisKind kind) {
  switch (kind) {
    case DiagnosisKind::kFileMissing: return "file-missing";
    case DiagnosisKind::kNotPeImage: return "not-pe-image";
    case DiagnosisKind::kWrongArchitecture: return "wrong-architecture";
    case DiagnosisKind::kDependencyMissing: return "dependency-missing";
    case DiagnosisKind::kFunctionMissing: return "function-missing";
    case DiagnosisKind::kNoEntryPoint: return "no-entry-point";
    case DiagnosisKind::kNothingFound: return "nothing-found";
    case DiagnosisKind::kWindowsLibrary: return "windows-library";
    case DiagnosisKind::kLoaderRefused: return "loader-refused";
  }
  return "unknown";
}

Diagnosis DiagnoseTree(const std::string& path, bool fileExists, const DependencyTree& tree) {
  Diagnosis d;
  d.file = path;
  if (!fileExists) {
    d.kind = DiagnosisKind::kFileMissing;
    d.predictedError = kErrorModNotFound;
    d.reason = "The file does not exist.";
    return d;
  }
  if (tree.rootError) {
    const formats::ErrorKind kind = tree.rootError->kind;
    d.kind = DiagnosisKind::kNotPeImage;
    d.predictedError = kErrorBadExeFormat;
    d.reason = kind != formats::ErrorKind::kNotPe && kind != formats::ErrorKind::kBadHeaders
                   ? "The file cannot be read as a program library."
                   : std::string("The file is not a Windows program library (") +
                         formats::ErrorKindText(kind) + ").";
    return d;
  }
  const std::uint16_t machine = tree.rootInfo.machine;
  const std::uint16_t program = platform::ProgramMachine();
  if (machine != program) {
    d.kind = DiagnosisKind::kWrongArchitecture;
    d.predictedError = kErrorBadExeFormat;
    d.fileMachine = formats::MachineName(machine);
    d.programMachine = formats::MachineName(program);
    // Korvane is built for both widths on Windows only; elsewhere Wine runs
    // the Windows tool of the file's width.
    d.reason = "The file is a " + Width(machine) + " library and this Korvane is the " + Width(program) + " build: " +
               (platform::LoaderTakesPeImages() ? "use the " + Width(machine) + " build of Korvane for it."
                                                : std::string("register it in a Wine prefix (--wineprefix PREFIX)."));
    return d;
  }
  AddDelayNotes(tree.root, d.notes);
  if (tree.truncated) {
    d.notes.push_back(std::string("the dependency tree is larger than the walk lists (its limit on ") +
                      tree.limitReached + " is reached); its end is left out");
  }

  std::vector<std::string> chain;
  if (const DependencyNode* n = FindNode(tree.root, ModuleFails, chain)) {
    d.kind = DiagnosisKind::kDependencyMissing;
    d.chain = chain;
    d.module = n->name;
    const std::string via = " (" + JoinChain(chain) + ")";
    if (n->state == NodeState::kMissing) {
      d.predictedError = kErrorModNotFound;
      d.reason = "It needs " + n->name + ", which is not found" + via + ".";
    } else if (n->state == NodeState::kWrongMachine) {
      // Passed over and searched on: in the end it is simply not found.
      d.predictedError = kErrorModNotFound;
      d.reason = "It needs " + n->name + ", but the only copy found is not for " + Width(machine) + ": " +
                 n->skipped.front() + via + ".";
    } else {
      d.predictedError = kErrorBadExeFormat;
      d.reason = "It needs " + n->name + ", but " + n->path + " is not a valid library" + via + ".";
    }
    return d;
  }
  chain.clear();
  if (const DependencyNode* n = FindNode(tree.root, FunctionFails, chain)) {
    const MissingFunction& lack = n->missing.front();
    d.kind = DiagnosisKind::kFunctionMissing;
    d.chain = chain;
    d.module = n->name;
    d.function = lack.function;
    d.predictedError = lack.targetModuleMissing ? kErrorModNotFound : kErrorProcNotFound;
    const std::string& importer = chain.size() >= 2 ? chain[chain.size() - 2] : chain.front();
    d.reason = n->name + " does not provide " + lack.function + ", which " + importer + " imports from it";
    if (!lack.forwardedTo.empty()) {
      d.reason += lack.targetModuleMissing ? " (it is forwarded to " + lack.forwardedTo + ", whose module is not found)"
                                           : " (it is forwarded to " + lack.forwardedTo + ")";
    }
    d.reason += " (" + JoinChain(chain) + ").";
    return d;
  }
  if (tree.rootInfo.isDll) {
    std::vector<std::string> absent;
    for (const char* entry : kEntryPoints) {
      bool found = false;
      for (const formats::ExportedFunction& e : tree.rootInfo.exports) found = found || e.name == entry;
      if (!found) absent.emplace_back(entry);
    }
    if (!absent.empty()) {
      d.kind = DiagnosisKind::kNoEntryPoint;
      for (const formats::ExportedFunction& e : tree.rootInfo.exports) {
        const bool exact = e.name == kEntryPoints[0] || e.name == kEntryPoints[1];
        if (!exact && LooksLikeEntryPoint(e.name)) d.lookalikes.emplace_back(e.name);
      }
      d.reason = "It does not export " + (absent.size() == 2 ? absent[0] + " or " + absent[1] : absent[0]);
      if (d.lookalikes.empty()) {
        d.reason += ", and exports nothing that looks like a registration entry point.";
      } else {
        std::string names;
        for (const std::string& n : d.lookalikes) names += (names.empty() ? "" : ", ") + n;
        d.reason += "; exports that look like one: " + names + ".";
      }
      return d;
    }
  }
  d.kind = DiagnosisKind::kNothingFound;
  d.reason = "No cause found: the file is a valid " + Width(machine) +
             " library, and every dependency and imported function it needs is found.";
  return d;
}

Diagnosis Diagnose(const std::string& path, DependencyWalker& walker) {
  const bool exists = platform::GetFileAttributes(path) != platform::kInvalidAttributes;
  if (!exists) return DiagnoseTree(path, false, DependencyTree{});
  return DiagnoseTree(path, true, walker.Walk(path));
}

Diagnosis DiagnoseLoadFailure(const std::string& path) {
  if (!platform::LoaderTakesPeImages()) return DiagnoseNativeLoadFailure(path, platform::LastLoaderFailure());
  DependencyWalker walker;
  return Diagnose(path, walker);
}

Diagnosis DiagnoseNativeLoadFailure(const std::string& path, const platform::LoaderFailure& failure) {
  if (platform::GetFileAttributes(path) == platform::kInvalidAttributes) return DiagnoseTree(path, false, {});
  Diagnosis d;
  d.file = path;
  const auto headers = ReadModuleFile(path, formats::PeModuleParts::kHeadersOnly);
  if (headers) {
    d.kind = DiagnosisKind::kWindowsLibrary;
    d.predictedError = kErrorBadExeFormat;
    d.fileMachine = formats::MachineName(headers->machine);
    d.reason = "The file is a Windows library (" + d.fileMachine +
               "): register it in a Wine prefix (--wineprefix PREFIX, or WINEPREFIX).";
    return d;
  }
  const formats::ErrorKind unread = headers.error().kind;
  if (unread == formats::ErrorKind::kNotRegularFile || unread == formats::ErrorKind::kCannotOpen) {
    // Never handed to the loader: no message of its applies.
    d.kind = DiagnosisKind::kNotPeImage;
    d.predictedError = kErrorBadExeFormat;
    d.reason = "The file cannot be read as a program library.";
    return d;
  }
  const std::string says = failure.message.empty() ? "" : " (the loader says: " + failure.message + ")";
  if (failure.step == platform::LoaderStep::kEntryPoint) {
    d.kind = DiagnosisKind::kNoEntryPoint;
    d.function = failure.symbol;
    d.reason = "The library loads, but it does not export " + failure.symbol + says + ".";
    return d;
  }
  d.kind = DiagnosisKind::kLoaderRefused;
  d.predictedError = kErrorModNotFound;
  d.reason = failure.message.empty() ? std::string("The library loader cannot load it.")
                                     : "The library loader cannot load it: " + failure.message + ".";
  return d;
}

}  // namespace korvane::diagnosis
