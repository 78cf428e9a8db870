// Dependency resolution and the diagnosis on the fixture libraries: each
// scenario folder is a component with exactly one fault (or none); sys/
// stands for the system folder.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Fixtures.h"
#include "diagnosis/Diagnosis.h"
#include "diagnosis/DiagnosisText.h"
#include "diagnosis/LoaderRules.h"
#include "platform/Library.h"
#include "platform/LoaderSearch.h"

namespace korvane {
namespace {

using diagnosis::DiagnosisKind;
using diagnosis::NodeState;
using test::DiagnosisFixture;

platform::LoaderFolders FixtureFolders(bool) {
  platform::LoaderFolders folders;
  folders.system = DiagnosisFixture("sys");
  return folders;
}

diagnosis::Diagnosis DiagnoseFixture(const std::string& relative) {
  diagnosis::DependencyWalker walker({}, &FixtureFolders);
  return diagnosis::Diagnose(DiagnosisFixture(relative), walker);
}

struct Expected {
  const char* file;
  DiagnosisKind kind;
  int error;
  const char* module;
  const char* function;
  std::vector<std::string> chain;
};

const bool kProgram64 = platform::ProgramMachine() == formats::kMachineAmd64;

TEST(Diagnosis, OneFindingPerFixture) {
  const Expected cases[] = {
      {"ok/ok.dll", DiagnosisKind::kNothingFound, 0, "", "", {}},
      {"no/such/file.dll", DiagnosisKind::kFileMissing, 126, "", "", {}},
      {"notpe/readme.dll", DiagnosisKind::kNotPeImage, 193, "", "", {}},
      {"otherwidth/comp_other.dll", DiagnosisKind::kWrongArchitecture, 193, "", "", {}},
      {"missing_dll/needs_ghost.dll", DiagnosisKind::kDependencyMissing, 126, "ghost.dll", "",
       {"needs_ghost.dll", "ghost.dll"}},
      {"chain/chain_a.dll", DiagnosisKind::kDependencyMissing, 126, "chain_c.dll", "",
       {"chain_a.dll", "chain_b.dll", "chain_c.dll"}},
      {"wrongdep/needs_base.dll", DiagnosisKind::kDependencyMissing, 126, "base.dll", "",
       {"needs_base.dll", "base.dll"}},
      {"missing_func/needs_gone.dll", DiagnosisKind::kFunctionMissing, 127, "partial.dll", "Gone",
       {"needs_gone.dll", "partial.dll"}},
      {"forward/fwd_broken_user.dll", DiagnosisKind::kFunctionMissing, 127, "fwd.dll", "Broken",
       {"fwd_broken_user.dll", "fwd.dll"}},
      {"forward/fwd_user.dll", DiagnosisKind::kNothingFound, 0, "", "", {}},
      {"cycle/cyc_a.dll", DiagnosisKind::kNothingFound, 0, "", "", {}},
      {"delay/delay_ghost.dll", DiagnosisKind::kNothingFound, 0, "", "", {}},
      {"apiset/uses_apiset.dll", DiagnosisKind::kNothingFound, 0, "", "", {}},
      {"sysdep/uses_sys.dll", DiagnosisKind::kNothingFound, 0, "", "", {}},
      {"case/needs_upper.dll", DiagnosisKind::kNothingFound, 0, "", "", {}},
      {"lookalike/lookalike.dll", DiagnosisKind::kNoEntryPoint, 0, "", "", {}},
  };
  for (const Expected& c : cases) {
    SCOPED_TRACE(c.file);
    const diagnosis::Diagnosis d = DiagnoseFixture(c.file);
    EXPECT_EQ(d.kind, c.kind) << d.reason;
    EXPECT_EQ(d.predictedError, c.error);
    EXPECT_EQ(d.module, c.module);
    EXPECT_EQ(d.function, c.function);
    EXPECT_EQ(d.chain, c.chain);
    EXPECT_FALSE(d.reason.empty());
  }
}

TEST(Diagnosis, ReasonsNameWhatIsAtFault) {
  const diagnosis::Diagnosis chain = DiagnoseFixture("chain/chain_a.dll");
  EXPECT_NE(chain.reason.find("chain_a.dll -> chain_b.dll -> chain_c.dll"), std::string::npos) << chain.reason;
  const diagnosis::Diagnosis func = DiagnoseFixture("missing_func/needs_gone.dll");
  EXPECT_NE(func.reason.find("partial.dll does not provide Gone"), std::string::npos) << func.reason;
  const diagnosis::Diagnosis fwd = DiagnoseFixture("forward/fwd_broken_user.dll");
  EXPECT_NE(fwd.reason.find("base.NoSuchFunction"), std::string::npos) << fwd.reason;
  const diagnosis::Diagnosis arch = DiagnoseFixture("otherwidth/comp_other.dll");
  EXPECT_EQ(arch.fileMachine, kProgram64 ? "x86" : "x64");
  EXPECT_EQ(arch.programMachine, kProgram64 ? "x64" : "x86");
  // A build for the other width exists on Windows only; elsewhere Wine loads the file.
  const char* advice = !platform::LoaderTakesPeImages() ? "register it in a Wine prefix (--wineprefix"
                       : kProgram64                     ? "use the 32-bit (x86) build"
                                                        : "use the 64-bit (x64) build";
  EXPECT_NE(arch.reason.find(advice), std::string::npos) << arch.reason;
  const diagnosis::Diagnosis look = DiagnoseFixture("lookalike/lookalike.dll");
  EXPECT_EQ(look.lookalikes, std::vector<std::string>{"dllregisterserver"});
  EXPECT_NE(look.reason.find("does not export DllRegisterServer;"), std::string::npos) << look.reason;
}

TEST(Diagnosis, DelayLoadedMissingModuleIsANote) {
  const diagnosis::Diagnosis d = DiagnoseFixture("delay/delay_ghost.dll");
  ASSERT_EQ(d.notes.size(), 1u);
  EXPECT_NE(d.notes[0].find("ghost.dll"), std::string::npos);
  EXPECT_NE(diagnosis::DiagnosisText(d).find("\n"), std::string::npos);
}

// The tree itself: cycles cut, repeats not walked twice, where each module came from.
TEST(DependencyTree, CyclesRepeatsAndOrigins) {
  diagnosis::DependencyWalker walker({}, &FixtureFolders);
  const diagnosis::DependencyTree cycle = walker.Walk(DiagnosisFixture("cycle/cyc_a.dll"));
  ASSERT_EQ(cycle.root.children.size(), 1u);
  const auto& b = cycle.root.children[0];
  EXPECT_EQ(b.state, NodeState::kResolved);
  ASSERT_EQ(b.children.size(), 1u);
  EXPECT_EQ(b.children[0].state, NodeState::kCycle);
  EXPECT_TRUE(b.children[0].children.empty());

  const diagnosis::DependencyTree sys = walker.Walk(DiagnosisFixture("sysdep/uses_sys.dll"));
  ASSERT_EQ(sys.root.children.size(), 1u);
  EXPECT_EQ(sys.root.children[0].path.rfind(DiagnosisFixture("sys"), 0), 0u);
  EXPECT_NE(sys.root.children[0].path.find("sysdep.dll"), std::string::npos);

  const diagnosis::DependencyTree api = walker.Walk(DiagnosisFixture("apiset/uses_apiset.dll"));
  ASSERT_EQ(api.root.children.size(), 1u);
  EXPECT_EQ(api.root.children[0].state, NodeState::kApiSet);

  const diagnosis::DependencyTree wrong = walker.Walk(DiagnosisFixture("wrongdep/needs_base.dll"));
  ASSERT_EQ(wrong.root.children.size(), 1u);
  EXPECT_EQ(wrong.root.children[0].state, NodeState::kWrongMachine);
  EXPECT_EQ(wrong.root.children[0].skipped.size(), 1u);
}

TEST(DependencyTree, DepthLimitStopsTheWalk) {
  diagnosis::WalkLimits limits;
  limits.maxDepth = 1;
  diagnosis::DependencyWalker walker(limits, &FixtureFolders);
  const diagnosis::DependencyTree tree = walker.Walk(DiagnosisFixture("chain/chain_a.dll"));
  ASSERT_EQ(tree.root.children.size(), 1u);
  EXPECT_EQ(tree.root.children[0].state, NodeState::kDepthLimit);
  EXPECT_TRUE(tree.root.children[0].children.empty());
}

TEST(Diagnosis, EntryPointLookalikes) {
  const std::pair<const char*, bool> cases[] = {
      {"_DllRegisterServer@0", true}, {"DLLREGISTERSERVER", true},       {"DllRegisterServerEx", true},
      {"DllUnregisterServer", true},  {"DllInstall", true},              {"RegisterServer", true},
      {"DllGetClassObject", false},   {"CertRegisterSystemStore", false}, {"CAPI_REGISTER", false},
  };
  for (const auto& [name, expected] : cases) EXPECT_EQ(diagnosis::LooksLikeEntryPoint(name), expected) << name;
}

TEST(LoaderRules, NamesAsTheLoaderReadsThem) {
  EXPECT_TRUE(diagnosis::IsApiSetName("API-MS-Win-Core-Synch-L1-2-0.dll"));
  EXPECT_TRUE(diagnosis::IsApiSetName("ext-ms-win-ntuser-window-l1-1-0"));
  EXPECT_FALSE(diagnosis::IsApiSetName("apisetschema.dll"));
  EXPECT_TRUE(diagnosis::IsKnownDll("KERNEL32.dll"));
  EXPECT_FALSE(diagnosis::IsKnownDll("ucrtbase.dll"));
  EXPECT_EQ(diagnosis::SearchName("kernel32"), "kernel32.dll");
  EXPECT_EQ(diagnosis::SearchName("odd."), "odd");
  EXPECT_EQ(diagnosis::SearchName("plugin.ocx"), "plugin.ocx");
  EXPECT_EQ(diagnosis::SearchName("dir.v2\\name"), "dir.v2\\name.dll");
}

// Where the loader takes native libraries: a Windows file is sent to Wine,
// and a native one gets the loader's own reason, never a word about PE images.
TEST(Diagnosis, NativeLoaderFailures) {
  using platform::LoaderStep;
  struct Case {
    const char* file;
    platform::LoaderFailure failure;
    DiagnosisKind kind;
    const char* says;
  };
  const Case cases[] = {
      {"ok/ok.dll", {LoaderStep::kLoad, "", "ok.dll: invalid ELF header"}, DiagnosisKind::kWindowsLibrary,
       "register it in a Wine prefix (--wineprefix"},
      {"otherwidth/comp_other.dll", {LoaderStep::kLoad, "", ""}, DiagnosisKind::kWindowsLibrary, "Wine prefix"},
      {"notpe/readme.dll", {LoaderStep::kLoad, "", "libghost.so.1: cannot open shared object file"},
       DiagnosisKind::kLoaderRefused, "cannot load it: libghost.so.1: cannot open shared object file."},
      {"notpe/readme.dll", {LoaderStep::kEntryPoint, "DllRegisterServer", "x.so: undefined symbol: DllRegisterServer"},
       DiagnosisKind::kNoEntryPoint, "does not export DllRegisterServer (the loader says: x.so: undefined symbol"},
      // Never handed to the loader: an earlier library's message is not its reason.
      {"notpe", {LoaderStep::kLoad, "", "stale.so: invalid ELF header"}, DiagnosisKind::kNotPeImage,
       "cannot be read as a program library."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const diagnosis::Diagnosis d = diagnosis::DiagnoseNativeLoadFailure(DiagnosisFixture(c.file), c.failure);
    EXPECT_EQ(d.kind, c.kind) << d.reason;
    EXPECT_NE(d.reason.find(c.says), std::string::npos) << d.reason;
    EXPECT_EQ(d.reason.find("PE image"), std::string::npos) << d.reason;
    EXPECT_EQ(d.reason.find("build of Korvane"), std::string::npos) << d.reason;
  }
}

#ifndef _WIN32
// The loader's words are kept for the diagnosis of the failure.
TEST(Diagnosis, LoaderFailureIsKeptForTheDiagnosis) {
  const std::string text = DiagnosisFixture("notpe/readme.dll");
  EXPECT_EQ(platform::LoadLibrary(text), nullptr);
  const platform::LoaderFailure failure = platform::LastLoaderFailure();
  EXPECT_EQ(failure.step, platform::LoaderStep::kLoad);
  EXPECT_NE(failure.message.find("readme.dll"), std::string::npos) << failure.message;
  const diagnosis::Diagnosis d = diagnosis::DiagnoseLoadFailure(text);
  EXPECT_EQ(d.kind, DiagnosisKind::kLoaderRefused);
  EXPECT_NE(d.reason.find(failure.message), std::string::npos) << d.reason;
}
#endif

}  // namespace
}  // namespace korvane
