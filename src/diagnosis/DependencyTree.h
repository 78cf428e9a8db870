#pragma once
// A module's dependency tree, resolved as the Windows loader resolves a
// library loaded by its full path with the altered search order: for every
// module of the tree, the component's own folder, then the system folder of
// the component's processor width, the Windows folder, the current folder and
// the folders of PATH. Known DLLs come from the system folder only; API-set
// names are taken as provided by the system. Every imported function is
// looked up in the module that provides it, following forwarders.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "formats/PeImports.h"
#include "platform/LoaderSearch.h"

namespace korvane::diagnosis {

enum class NodeState {
  kRoot,          // the component itself
  kResolved,      // found and read; its own imports are below it
  kApiSet,        // an API-set name, provided by the system
  kMissing,       // not found in any searched folder
  kWrongMachine,  // only files for another processor were found
  kNotPe,         // found, but not a PE image the loader accepts
  kRepeated,      // already listed elsewhere in the tree (its imports are there)
  kCycle,         // one of its own importers: the cycle is cut here
  kDepthLimit,    // deeper than the walk goes
  kWalkLimit,     // not read: the walk already holds as much module data as it may
};

struct MissingFunction {
  std::string function;       // the name, or "#12" for an ordinal
  std::string forwardedTo;    // the forwarder followed, when the lack is behind one
  bool targetModuleMissing = false;  // the forwarder's module was not found
};

struct DependencyNode {
  std::string name;           // as imported (the component: its file name)
  std::string path;           // the file found; empty when none
  NodeState state = NodeState::kResolved;
  bool delayLoaded = false;   // reached through a delay-load import: loaded on first call
  bool knownDll = false;
  std::uint16_t machine = 0;
  std::optional<formats::Error> readError;  // why its headers could not be read
  std::vector<std::string> skipped;        // files passed over for their processor type
  std::vector<MissingFunction> missing;    // what its importer needs and it lacks
  std::size_t missingNotListed = 0;        // lacking functions beyond WalkLimits::maxMissingListed
  std::vector<DependencyNode> children;
};

// What one walk may cost. A module's own reading is bounded by the reader's
// limits (PeImports.h); these bound the whole tree. A walk that reaches one
// stops there and says which (DependencyTree::limitReached).
struct WalkLimits {
  int maxDepth = 32;
  std::size_t maxNodes = 20000;
  int maxForwarderHops = 8;
  // Imported functions looked up in their providers, over the whole tree.
  std::size_t maxFunctionChecks = std::size_t{1} << 20;
  // Lacking functions listed per module; the rest are only counted.
  std::size_t maxMissingListed = 32;
  // The modules' names, entries and indexes held at once, estimated from
  // their counts; further modules are not read (kWalkLimit).
  std::size_t maxHeldBytes = std::size_t{256} << 20;
};

struct DependencyTree {
  DependencyNode root;
  formats::PeModuleInfo rootInfo;   // the component's headers, imports and exports
  // Why the component's headers could not be read; a tree never walked has
  // the error of a file that could not be opened.
  std::optional<formats::Error> rootError = formats::MakeError(formats::ErrorKind::kCannotOpen);
  bool truncated = false;           // a limit of the walk was reached
  const char* limitReached = "";    // which: "modules", "function look-ups", "module data"
  std::size_t heldBytes = 0;        // the module data the walk held, as counted against maxHeldBytes
  std::size_t functionChecks = 0;   // imported functions looked up
};

// The folders searched for a module of the given width; the platform's by default.
using FolderSource = platform::LoaderFolders (*)(bool module64Bit);

class DependencyWalker {
 public:
  explicit DependencyWalker(WalkLimits limits = {}, FolderSource folders = &platform::LoaderSearchFolders);
  ~DependencyWalker();
  DependencyWalker(const DependencyWalker&) = delete;
  DependencyWalker& operator=(const DependencyWalker&) = delete;

  DependencyTree Walk(const std::string& path);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

const char* NodeStateName(NodeState state);

}  // namespace korvane::diagnosis
