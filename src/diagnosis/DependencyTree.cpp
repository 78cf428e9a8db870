#include "diagnosis/DependencyTree.h"

#include <unordered_map>
#include <unordered_set>

#include "diagnosis/FolderIndex.h"
#include "diagnosis/LoaderRules.h"
#include "diagnosis/ModuleFile.h"
#include "platform/Process.h"

namespace korvane::diagnosis {

namespace {

// One module file, read once per walk, with its exports indexed.
struct Module {
  std::string path;
  formats::PeModuleInfo info;
  std::optional<formats::Error> error;  // the headers could not be read
  std::unordered_map<std::string_view, std::size_t> byName;  // views into info.names
  std::unordered_map<std::uint32_t, std::size_t> byOrdinal;

  bool Usable() const { return !error.has_value(); }
};

// What a module read holds, estimated from its counts: names once each,
// entries, and the two export indexes (a hash node and a bucket each).
std::size_t HeldBytes(const Module& m) {
  constexpr std::size_t kIndexEntry = 64;
  std::size_t bytes = sizeof(Module) + m.path.size();
  if (m.info.names) bytes += m.info.names->Bytes();
  for (const formats::ImportedModule& imported : m.info.imports) {
    bytes += sizeof(imported) + imported.dllName.size() + imported.functions.size() * sizeof(formats::ImportedFunction);
  }
  bytes += m.info.exports.size() * (sizeof(formats::ExportedFunction) + 2 * kIndexEntry);
  return bytes;
}

struct Resolution {
  NodeState state = NodeState::kMissing;
  std::string path;
  bool known = false;
  std::vector<std::string> skipped;
  Module* module = nullptr;
};

// "OTHER.Function" or "OTHER.#12" split at the last dot.
bool SplitForwarder(std::string_view forwarder, std::string& module, std::string_view& function) {
  const std::size_t dot = forwarder.find_last_of('.');
  if (dot == std::string_view::npos || dot == 0 || dot + 1 == forwarder.size()) return false;
  module = std::string(forwarder.substr(0, dot));
  function = forwarder.substr(dot + 1);
  return true;
}

// One key for one file: letter case ignored, and on Windows '/' taken as '\\'.
std::string PathKey(const std::string& path) {
  std::string key = FoldName(path);
  for (char& c : key) {
    if (c == '/') c = platform::kPathSeparator;
  }
  return key;
}

bool ParseOrdinal(std::string_view text, std::uint32_t& ordinal) {
  if (text.size() < 2 || text[0] != '#' || text.size() > 6) return false;
  ordinal = 0;
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    ordinal = ordinal * 10 + static_cast<std::uint32_t>(text[i] - '0');
  }
  return true;
}

}  // namespace

const char* NodeStateName(NodeState state) {
  switch (state) {
    case NodeState::kRoot: return "component";
    case NodeState::kResolved: return "found";
    case NodeState::kApiSet: return "api-set";
    case NodeState::kMissing: return "missing";
    case NodeState::kWrongMachine: return "wrong-machine";
    case NodeState::kNotPe: return "not-pe";
    case NodeState::kRepeated: return "repeated";
    case NodeState::kCycle: return "cycle";
    case NodeState::kDepthLimit: return "depth-limit";
    case NodeState::kWalkLimit: return "walk-limit";
  }
  return "unknown";
}

struct DependencyWalker::Impl {
  WalkLimits limits;
  FolderSource folderSource;
  FolderIndex index;
  std::unordered_map<std::string, std::unique_ptr<Module>> modules;   // by folded path
  std::unordered_map<std::string, Resolution> resolutions;            // by folded search name
  std::vector<std::string> searchFolders;
  std::string systemFolder;
  std::uint16_t machine = 0;
  std::size_t nodes = 0;
  std::size_t functionChecks = 0;
  std::size_t heldBytes = 0;
  const char* limitReached = "";
  // Modules whose imports are listed: true when only below a delay-load import.
  std::unordered_map<std::string, bool> expanded;
  std::unordered_set<std::string> onPath;

  Module* Load(const std::string& path) {
    auto& slot = modules[PathKey(path)];
    if (!slot) {
      slot = std::make_unique<Module>();
      slot->path = path;
      auto read = ReadModuleFile(path, formats::PeModuleParts::kAll);
      if (read) {
        slot->info = std::move(*read);
      } else {
        slot->error = read.error();
      }
      for (std::size_t i = 0; i < slot->info.exports.size(); ++i) {
        const formats::ExportedFunction& e = slot->info.exports[i];
        if (!e.name.empty()) slot->byName.emplace(e.name, i);
        slot->byOrdinal.emplace(e.ordinal, i);
      }
      heldBytes += HeldBytes(*slot);
    }
    return slot.get();
  }

  void Stop(const char* limit) {
    if (*limitReached == '\0') limitReached = limit;
  }

  // Whether the module at path may be read: read already, or the data held
  // leaves room for one more.
  bool MayLoad(const std::string& path) {
    if (heldBytes < limits.maxHeldBytes || modules.count(PathKey(path)) != 0) return true;
    Stop("module data");
    return false;
  }

  const Resolution& Resolve(const std::string& imported) {
    const std::string name = SearchName(imported);
    const std::string key = FoldName(name);
    auto cached = resolutions.find(key);
    if (cached != resolutions.end()) return cached->second;
    Resolution r;
    if (IsApiSetName(name)) {
      r.state = NodeState::kApiSet;
      return resolutions[key] = r;
    }
    r.known = IsKnownDll(name);
    const std::vector<std::string> knownOnly{systemFolder};
    for (const std::string& folder : r.known ? knownOnly : searchFolders) {
      const std::string path = index.Find(folder, name);
      if (path.empty()) continue;
      if (!MayLoad(path)) {
        r.state = NodeState::kWalkLimit;
        r.path = path;
        r.skipped.clear();
        break;
      }
      Module* m = Load(path);
      if (!m->Usable()) {
        r.state = NodeState::kNotPe;
        r.path = path;
        break;
      }
      if (m->info.machine != machine) {
        // The loader passes over an image for another processor and searches on.
        r.skipped.push_back(path);
        continue;
      }
      r.state = NodeState::kResolved;
      r.path = path;
      r.module = m;
      break;
    }
    if (r.state == NodeState::kMissing && !r.skipped.empty()) r.state = NodeState::kWrongMachine;
    return resolutions[key] = r;
  }

  // Whether module m provides the function (a name, or an ordinal when
  // byOrdinal), following forwarders; fills lack when it does not.
  bool Provides(Module* m, std::string_view name, std::uint32_t ordinal, bool byOrdinal, int hops,
                MissingFunction& lack) {
    std::size_t at = 0;
    if (byOrdinal) {
      auto found = m->byOrdinal.find(ordinal);
      if (found == m->byOrdinal.end()) return false;
      at = found->second;
    } else {
      auto found = m->byName.find(name);
      if (found == m->byName.end()) return false;
      at = found->second;
    }
    const std::string_view forwarder = m->info.exports[at].forwarder;
    if (forwarder.empty()) return true;
    lack.forwardedTo = std::string(forwarder);
    std::string targetModule;
    std::string_view targetFunction;
    if (hops >= limits.maxForwarderHops || !SplitForwarder(forwarder, targetModule, targetFunction)) {
      return false;
    }
    const Resolution& target = Resolve(targetModule);
    if (target.state == NodeState::kApiSet) return true;
    if (target.state != NodeState::kResolved) {
      lack.targetModuleMissing = true;
      return false;
    }
    std::uint32_t targetOrdinal = 0;
    const bool targetByOrdinal = ParseOrdinal(targetFunction, targetOrdinal);
    return Provides(target.module, targetFunction, targetOrdinal, targetByOrdinal, hops + 1, lack);
  }

  // Looks up every function the importer takes from provider. A name the
  // table repeats (one pooled name, or one ordinal) is looked up once.
  void CheckFunctions(const formats::ImportedModule& imported, Module* provider, DependencyNode& node) {
    std::unordered_set<const char*> namesSeen;
    std::unordered_set<std::uint16_t> ordinalsSeen;
    const char* previous = nullptr;  // a run of one name is skipped without the set
    for (const formats::ImportedFunction& f : imported.functions) {
      if (!f.byOrdinal && f.name.data() == previous) continue;
      previous = f.byOrdinal ? nullptr : f.name.data();
      const bool first = f.byOrdinal ? ordinalsSeen.insert(f.ordinal).second : namesSeen.insert(f.name.data()).second;
      if (!first) continue;
      if (functionChecks >= limits.maxFunctionChecks) {
        Stop("function look-ups");
        return;
      }
      ++functionChecks;
      MissingFunction lack;
      if (Provides(provider, f.name, f.ordinal, f.byOrdinal, 0, lack)) continue;
      if (node.missing.size() >= limits.maxMissingListed) {
        ++node.missingNotListed;
        continue;
      }
      lack.function = f.byOrdinal ? "#" + std::to_string(f.ordinal) : std::string(f.name);
      node.missing.push_back(std::move(lack));
    }
  }

  void Expand(DependencyNode& node, Module* module, int depth, bool delayed) {
    for (const formats::ImportedModule& imported : module->info.imports) {
      if (nodes >= limits.maxNodes) {
        Stop("modules");
        return;
      }
      ++nodes;
      DependencyNode child;
      child.name = imported.dllName;
      child.delayLoaded = delayed || imported.delayLoaded;
      const Resolution& r = Resolve(imported.dllName);
      child.state = r.state;
      child.path = r.path;
      child.knownDll = r.known;
      child.skipped = r.skipped;
      if (r.state == NodeState::kNotPe) child.readError = Load(r.path)->error;
      if (r.state == NodeState::kResolved) {
        child.machine = r.module->info.machine;
        CheckFunctions(imported, r.module, child);
        const std::string key = PathKey(r.path);
        auto seen = expanded.find(key);
        // A module first met only behind a delay-load import is listed again
        // when a plain import needs it: then it matters at load time.
        const bool again = seen != expanded.end() && seen->second && !child.delayLoaded;
        if (onPath.count(key) != 0) {
          child.state = NodeState::kCycle;
        } else if (seen != expanded.end() && !again) {
          child.state = NodeState::kRepeated;
        } else if (depth + 1 >= limits.maxDepth) {
          child.state = NodeState::kDepthLimit;
        } else {
          expanded[key] = child.delayLoaded;
          onPath.insert(key);
          Expand(child, r.module, depth + 1, child.delayLoaded);
          onPath.erase(key);
        }
      }
      node.children.push_back(std::move(child));
    }
  }
};

DependencyWalker::DependencyWalker(WalkLimits limits, FolderSource folders)
    : impl_(std::make_unique<Impl>()) {
  impl_->limits = limits;
  impl_->folderSource = folders;
}

DependencyWalker::~DependencyWalker() = default;

DependencyTree DependencyWalker::Walk(const std::string& path) {
  Impl& w = *impl_;
  // Files may have changed since an earlier walk.
  w.modules.clear();
  w.index = FolderIndex{};
  w.resolutions.clear();
  w.expanded.clear();
  w.onPath.clear();
  w.nodes = 0;
  w.functionChecks = 0;
  w.heldBytes = 0;
  w.limitReached = "";

  DependencyTree tree;
  tree.root.name = FileNameOf(path);
  tree.root.path = path;
  tree.root.state = NodeState::kRoot;
  Module* root = w.Load(path);
  tree.rootInfo = root->info;
  tree.rootError = root->error;
  tree.root.readError = root->error;
  tree.root.machine = root->info.machine;
  if (!root->Usable()) return tree;

  w.machine = root->info.machine;
  const platform::LoaderFolders folders = w.folderSource(root->info.is64);
  w.systemFolder = folders.system;
  w.searchFolders = {FolderOf(path), folders.system, folders.windows, folders.current};
  w.searchFolders.insert(w.searchFolders.end(), folders.path.begin(), folders.path.end());

  const std::string key = PathKey(path);
  w.expanded[key] = false;
  w.onPath.insert(key);
  w.Expand(tree.root, root, 0, false);
  tree.truncated = *w.limitReached != '\0';
  tree.limitReached = w.limitReached;
  tree.heldBytes = w.heldBytes;
  tree.functionChecks = w.functionChecks;
  return tree;
}

}  // namespace korvane::diagnosis
