// The walk on crafted trees: the search passing over a module of the other
// processor type, modules whose imports all share one lookup table of 1,024
// thunks to one 1 KB name (each copy of that name once cost the walk
// gigabytes), the named limits of a walk, and names that carry line breaks
// into the tree's text.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "PeBuilder.h"
#include "diagnosis/DependencyTree.h"
#include "diagnosis/DiagnosisText.h"
#include "formats/PeImports.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using diagnosis::DependencyNode;
using diagnosis::NodeState;

constexpr int kModules = 41;
constexpr std::size_t kThunks = 1024;

std::string g_folder;  // the folders the walk searches: the tree's own only
platform::LoaderFolders OwnFolderOnly(bool) { return {g_folder, g_folder, g_folder, {}}; }
platform::LoaderFolders SystemFolder(bool) { return {g_folder, "", "", {}}; }

void WriteImage(const test::TempDir& dir, const std::string& name, const test::PeBuilder& pe) {
  const auto bytes = pe.Build();
  dir.Write(name, std::string(bytes.begin(), bytes.end()));
}

// comp.dll imports DepFunc from dep.dll; DepFunc at a code address.
test::PeBuilder Importer() {
  test::PeBuilder pe(formats::kMachineAmd64);
  pe.SetImports({{"dep.dll", pe.AddLookupTable({pe.AddName("DepFunc", true)})}});
  return pe;
}
test::PeBuilder Provider(std::uint16_t machine, const std::string& dll = "dep.dll",
                         const std::string& function = "DepFunc") {
  test::PeBuilder pe(machine);
  pe.SetExports(dll, {{function, test::PeBuilder::kSectionRva, ""}});
  return pe;
}

// The loader passes over a module of the other processor type in the
// component's folder and takes the one in the system folder.
TEST(DependencyWalk, SearchGoesOnPastTheOtherProcessorType) {
  test::TempDir own;
  test::TempDir system;
  WriteImage(own, "comp.dll", Importer());
  WriteImage(own, "dep.dll", Provider(formats::kMachineI386));
  WriteImage(system, "dep.dll", Provider(formats::kMachineAmd64));
  g_folder = system.path().string();
  diagnosis::DependencyWalker walker({}, &SystemFolder);
  const diagnosis::DependencyTree tree = walker.Walk(own.File("comp.dll"));
  ASSERT_EQ(tree.root.children.size(), 1u);
  const DependencyNode& dep = tree.root.children[0];
  EXPECT_EQ(dep.state, NodeState::kResolved);
  EXPECT_EQ(dep.path, system.File("dep.dll"));
  EXPECT_EQ(dep.skipped, std::vector<std::string>{own.File("dep.dll")});
  EXPECT_TRUE(dep.missing.empty());
}

std::string ModuleName(int i) { return "mod" + std::to_string(i) + ".dll"; }

// Writes the modules and returns the first one's path. Each imports every
// module (itself too) through the one shared table; nobody exports the name.
std::string WriteSharedNameTree(const test::TempDir& dir) {
  const std::string name(formats::kMaxImportNameLength - 1, 'F');
  for (int i = 0; i < kModules; ++i) {
    test::PeBuilder pe(formats::kMachineAmd64);
    const std::uint32_t table = pe.AddLookupTable(std::vector<std::uint64_t>(kThunks, pe.AddName(name, true)));
    std::vector<test::PeBuilder::Import> imports;
    for (int j = 0; j < kModules; ++j) imports.push_back({ModuleName(j), table});
    pe.SetImports(imports);
    pe.SetExports(ModuleName(i), {{"Other", test::PeBuilder::kSectionRva, ""}});
    WriteImage(dir, ModuleName(i), pe);
  }
  g_folder = dir.path().string();
  return dir.File(ModuleName(0));
}

void Visit(const DependencyNode& node, const std::function<void(const DependencyNode&)>& f) {
  f(node);
  for (const DependencyNode& child : node.children) Visit(child, f);
}

TEST(DependencyWalk, SharedNamesCostTheirCountsNotTheirCopies) {
  test::TempDir dir;
  const std::string root = WriteSharedNameTree(dir);
  diagnosis::DependencyWalker walker({}, &OwnFolderOnly);
  const diagnosis::DependencyTree tree = walker.Walk(root);
  ASSERT_EQ(tree.rootError, std::nullopt);
  EXPECT_FALSE(tree.truncated) << tree.limitReached;
  std::size_t edges = 0;
  std::size_t lacking = 0;
  Visit(tree.root, [&](const DependencyNode& n) {
    edges += n.children.size();
    lacking += n.missing.size();
  });
  // One look-up per import entry: its 1,024 thunks name one function.
  EXPECT_EQ(tree.functionChecks, edges);
  EXPECT_EQ(lacking, edges);  // every module is found, none exports the name
  // What the walk holds: per module its thunks' entries and one name, far
  // below one copy of the name per thunk (kModules^2 * kThunks KB, 1.7 GB).
  const std::size_t entries = std::size_t{kModules} * kModules * kThunks * sizeof(formats::ImportedFunction);
  EXPECT_LT(tree.heldBytes, entries + std::size_t{kModules} * (64u << 10));
  EXPECT_GT(tree.heldBytes, entries);
  EXPECT_LT(diagnosis::TreeText(tree).size(), edges * (formats::kMaxImportNameLength + 256));
}

TEST(DependencyWalk, EachLimitStopsTheWalkAndIsNamed) {
  test::TempDir dir;
  const std::string root = WriteSharedNameTree(dir);
  struct Case {
    const char* limit;
    diagnosis::WalkLimits limits;
  };
  std::vector<Case> cases(3);
  cases[0].limit = "modules";
  cases[0].limits.maxNodes = 5;
  cases[1].limit = "function look-ups";
  cases[1].limits.maxFunctionChecks = 5;
  cases[2].limit = "module data";
  cases[2].limits.maxHeldBytes = 1;  // only the component itself is read
  for (const Case& c : cases) {
    SCOPED_TRACE(c.limit);
    diagnosis::DependencyWalker walker(c.limits, &OwnFolderOnly);
    const diagnosis::DependencyTree tree = walker.Walk(root);
    EXPECT_TRUE(tree.truncated);
    EXPECT_STREQ(tree.limitReached, c.limit);
    EXPECT_LE(tree.functionChecks, c.limits.maxFunctionChecks);
    EXPECT_NE(diagnosis::TreeText(tree).find(std::string("limit on ") + c.limit), std::string::npos);
  }
  diagnosis::WalkLimits noRoom;
  noRoom.maxHeldBytes = 1;
  diagnosis::DependencyWalker walker(noRoom, &OwnFolderOnly);
  const diagnosis::DependencyTree tree = walker.Walk(root);
  ASSERT_EQ(tree.root.children.size(), static_cast<std::size_t>(kModules));
  EXPECT_EQ(tree.root.children[1].state, NodeState::kWalkLimit);
}

TEST(DependencyWalk, LackingFunctionsBeyondTheListAreCounted) {
  test::PeBuilder pe(formats::kMachineAmd64);
  std::vector<std::uint64_t> thunks;
  for (int i = 0; i < 5; ++i) thunks.push_back(pe.AddName("Gone" + std::to_string(i), true));
  pe.SetImports({{"dep.dll", pe.AddLookupTable(thunks)}});
  test::TempDir dir;
  WriteImage(dir, "user.dll", pe);
  WriteImage(dir, "dep.dll", Provider(formats::kMachineAmd64, "dep.dll", "Other"));
  g_folder = dir.path().string();

  diagnosis::WalkLimits limits;
  limits.maxMissingListed = 2;
  diagnosis::DependencyWalker walker(limits, &OwnFolderOnly);
  const diagnosis::DependencyTree tree = walker.Walk(dir.File("user.dll"));
  ASSERT_EQ(tree.root.children.size(), 1u);
  const DependencyNode& node = tree.root.children[0];
  ASSERT_EQ(node.missing.size(), 2u);
  EXPECT_EQ(node.missing[1].function, "Gone1");
  EXPECT_EQ(node.missingNotListed, 3u);
  EXPECT_NE(diagnosis::TreeText(tree).find("lacks 3 more\n"), std::string::npos);
}

// A module or function name with line breaks or TABs stays on its own line.
TEST(DependencyWalk, NamesCannotAddLinesToTheTree) {
  test::PeBuilder pe(formats::kMachineAmd64);
  const std::string forged = "x\n  forged.dll  found  /tmp/forged.dll";
  const std::uint32_t table = pe.AddLookupTable({pe.AddName("F\r\n    lacks Nothing\t", true)});
  pe.SetImports({{"evil" + forged, table}, {"base.dll", table}});
  test::TempDir dir;
  WriteImage(dir, "user.dll", pe);
  WriteImage(dir, "base.dll", Provider(formats::kMachineAmd64, "base.dll", "Other"));
  g_folder = dir.path().string();

  diagnosis::DependencyWalker walker({}, &OwnFolderOnly);
  const std::string text = diagnosis::TreeText(walker.Walk(dir.File("user.dll")));
  // The component, the two imports, and base.dll's one lacking function.
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4) << text;
  EXPECT_EQ(text.find('\t'), std::string::npos) << text;
  EXPECT_EQ(text.find('\r'), std::string::npos) << text;
  EXPECT_NE(text.find("evilx?  forged.dll"), std::string::npos) << text;
  EXPECT_NE(text.find("lacks F??    lacks Nothing?"), std::string::npos) << text;
}

}  // namespace
}  // namespace korvane
