#include "platform/posix/WinePrefixRegistry.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <utility>

#include "formats/RegFile.h"
#include "formats/TextCodec.h"
#include "formats/WineRegistryFile.h"
#include "platform/Process.h"
#include "platform/posix/RegistryNames.h"

namespace korvane::platform::posix {

namespace {

// A name's length in the UTF-16 units Windows counts.
std::uint32_t RegNameLengthU32(std::string_view name) {
  return static_cast<std::uint32_t>(formats::RegNameLength(name));
}

// Links followed while resolving one path; more means a loop.
constexpr int kMaxLinkHops = 16;
constexpr char kLinkValue[] = "SYMBOLICLINKVALUE";

// The class keys Windows keeps apart for 32-bit programs.
constexpr std::array<const char*, 5> kRedirectedClasses = {"CLSID", "DIRECTSHOW", "INTERFACE",
                                                          "MEDIA TYPE", "MEDIAFOUNDATION"};

struct Value {
  std::string name;
  std::string fold;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};

struct FileStamp {
  bool present = false;
  std::uintmax_t size = 0;
  std::filesystem::file_time_type time{};
  bool operator==(const FileStamp&) const = default;
};

FileStamp StampOf(const std::filesystem::path& file) {
  FileStamp s;
  std::error_code ec;
  s.size = std::filesystem::file_size(file, ec);
  if (ec) return FileStamp{};
  s.time = std::filesystem::last_write_time(file, ec);
  s.present = !ec;
  return s;
}

constexpr std::array<const char*, 3> kFiles = {"system.reg", "user.reg", "userdef.reg"};

// The names of a key path (SplitKeyPath's rules), folded.
long SplitFolded(const std::string& path, std::vector<std::string>* names) {
  const long rc = SplitKeyPath(path, names);
  for (std::string& name : *names) name = FoldName(name);
  return rc;
}

bool IsRedirectedClass(const std::string& fold) {
  return std::any_of(kRedirectedClasses.begin(), kRedirectedClasses.end(),
                     [&](const char* n) { return fold == n; });
}

}  // namespace

struct WinePrefixRegistry::Node {
  std::string name;
  std::map<std::string, std::unique_ptr<Node>, std::less<>> children;  // by folded name
  std::vector<Value> values;
  bool link = false;

  const Node* Child(std::string_view fold) const {
    auto it = children.find(fold);
    return it == children.end() ? nullptr : it->second.get();
  }
  const Value* FindValue(const std::string& fold) const {
    for (const Value& v : values) {
      if (v.fold == fold) return &v;
    }
    return nullptr;
  }
};

struct WinePrefixRegistry::Hives {
  Node machine;          // REGISTRY\Machine
  Node users;            // REGISTRY\User: the user's SID and .Default below it
  const Node* currentUser = nullptr;
  const Node* machineClasses = nullptr;
  const Node* userClasses = nullptr;
  bool win64 = true;
  std::array<FileStamp, kFiles.size()> stamps;

  // Resolves folded names below start, following links at every step.
  const Node* Walk(const Node* start, const std::vector<std::string>& names, int* hops) const {
    const Node* current = Follow(start, hops);
    for (const std::string& n : names) {
      if (current == nullptr) return nullptr;
      current = Follow(current->Child(n), hops);
    }
    return current;
  }

  const Node* Follow(const Node* node, int* hops) const {
    while (node != nullptr && node->link) {
      if (--*hops < 0) return nullptr;
      const Value* target = node->FindValue(kLinkValue);
      if (target == nullptr) return node;  // a link mark without a target: the key itself
      node = Target(formats::Utf16LeToUtf8(target->data), hops);
    }
    return node;
  }

  // "\Registry\Machine\Software\Classes\TypeLib" and the like.
  const Node* Target(const std::string& path, int* hops) const {
    std::vector<std::string> names;
    std::string p = path;
    while (!p.empty() && p.front() == '\\') p.erase(0, 1);
    while (!p.empty() && p.back() == '\0') p.pop_back();
    if (SplitFolded(p, &names) != kErrorSuccess || names.size() < 2 || names[0] != "REGISTRY") {
      return nullptr;
    }
    const Node* root = names[1] == "MACHINE" ? &machine : names[1] == "USER" ? &users : nullptr;
    if (root == nullptr) return nullptr;
    names.erase(names.begin(), names.begin() + 2);
    return Walk(root, names, hops);
  }
};

namespace {

using Node = WinePrefixRegistry::Node;

// Adds one file's keys below root.
void Graft(Node& root, const formats::WineRegistryFile& file) {
  for (const formats::WineRegKey& key : file.keys) {
    Node* node = &root;
    for (const std::string& name : key.path) {
      std::unique_ptr<Node>& child = node->children[FoldName(name)];
      if (!child) {
        child = std::make_unique<Node>();
        child->name = name;
      }
      node = child.get();
    }
    node->link = node->link || key.link;
    for (const formats::WineRegValue& v : key.values) {
      std::string fold = FoldName(v.name);
      auto it = std::find_if(node->values.begin(), node->values.end(),
                             [&](const Value& have) { return have.fold == fold; });
      if (it == node->values.end()) {
        node->values.push_back(Value{v.name, std::move(fold), v.type, v.data});
      } else {
        it->type = v.type;
        it->data = v.data;
      }
    }
  }
}

// The last name of a file's root ("S-1-5-21-0-0-0-1000" of REGISTRY\User\S-...).
std::string LastName(const std::string& path) {
  const std::size_t cut = path.find_last_of('\\');
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool ReadFile(const std::filesystem::path& file, std::vector<std::uint8_t>* out) {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(file, ec);
  if (ec || size > formats::kWineRegMaxFileBytes) return false;
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  out->resize(static_cast<std::size_t>(size));
  in.read(reinterpret_cast<char*>(out->data()), static_cast<std::streamsize>(out->size()));
  out->resize(static_cast<std::size_t>(in.gcount()));
  return true;
}

}  // namespace

WinePrefixRegistry& WinePrefixRegistry::Instance() {
  static WinePrefixRegistry* const registry = new WinePrefixRegistry();
  return *registry;
}

std::string WinePrefixRegistry::ActivePrefix() {
  // A store named explicitly wins, so that a WINEPREFIX left in a shell never
  // redirects a program that was pointed at a store (the programs refuse the
  // two together before anything is read).
  if (!GetEnv("KORVANE_REGISTRY").empty()) return {};
  return GetEnv("WINEPREFIX");
}

void WinePrefixRegistry::SetView(int bits) {
  std::lock_guard<std::mutex> lock(mutex_);
  viewBits_ = bits == 32 ? 32 : 64;
}

void WinePrefixRegistry::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  prefix_.clear();
  hives_.reset();
  loadError_.clear();
  handles_.clear();
  pending_.clear();
}

std::string WinePrefixRegistry::Load(const std::string& prefix) {
  std::lock_guard<std::mutex> lock(mutex_);
  hives_.reset();
  handles_.clear();
  loadError_.clear();
  Refresh(prefix);
  return loadError_;
}

long WinePrefixRegistry::Refresh(const std::string& prefix) {
  const std::filesystem::path dir(prefix);
  std::array<FileStamp, kFiles.size()> stamps;
  for (std::size_t i = 0; i < kFiles.size(); ++i) stamps[i] = StampOf(dir / kFiles[i]);
  if (hives_ && dir == prefix_ && hives_->stamps == stamps && !forceReload_) return kErrorSuccess;
  forceReload_ = false;

  prefix_ = dir.string();
  hives_.reset();
  loadError_.clear();
  auto hives = std::make_shared<Hives>();
  hives->stamps = stamps;
  if (!stamps[0].present || !stamps[1].present) {
    loadError_ = prefix_ + " is not a Wine prefix (no system.reg or user.reg)";
    return kErrorRegistryIoFailed;
  }
  Node defaults;
  std::string sid;
  for (std::size_t i = 0; i < kFiles.size(); ++i) {
    if (!stamps[i].present) continue;  // a prefix may lack userdef.reg
    std::vector<std::uint8_t> bytes;
    if (!ReadFile(dir / kFiles[i], &bytes)) {
      loadError_ = (dir / kFiles[i]).string() + " cannot be read";
      return kErrorRegistryIoFailed;
    }
    const formats::Expected<formats::WineRegistryFile> parsed = formats::ParseWineRegistryFile(bytes);
    if (!parsed) {
      loadError_ = (dir / kFiles[i]).string() + ": " + parsed.error().message;
      return kErrorRegistryCorrupt;
    }
    if (i == 0) {
      hives->win64 = parsed->arch != "win32";
      Graft(hives->machine, *parsed);
    } else if (i == 1) {
      sid = LastName(parsed->relativeTo);
      if (sid.empty()) sid = "S-1-5-21-0-0-0-1000";
      auto user = std::make_unique<Node>();
      user->name = sid;
      Graft(*user, *parsed);
      hives->users.children[FoldName(sid)] = std::move(user);
    } else {
      auto dflt = std::make_unique<Node>();
      dflt->name = ".Default";
      Graft(*dflt, *parsed);
      hives->users.children[FoldName(".Default")] = std::move(dflt);
    }
  }
  hives->currentUser = hives->users.Child(FoldName(sid));
  int hops = kMaxLinkHops;
  hives->machineClasses = hives->Walk(&hives->machine, {"SOFTWARE", "CLASSES"}, &hops);
  hops = kMaxLinkHops;
  hives->userClasses = hives->Walk(hives->currentUser, {"SOFTWARE", "CLASSES"}, &hops);
  hives_ = std::move(hives);
  return kErrorSuccess;
}

long WinePrefixRegistry::Lookup(HKey key, OpenKey* out) const {
  if (key < kFirstHandle || key - kFirstHandle >= handles_.size() ||
      !handles_[key - kFirstHandle].hives) {
    return kErrorInvalidHandle;
  }
  *out = handles_[key - kFirstHandle];
  return kErrorSuccess;
}

namespace {

bool IsRoot(HKey key) {
  return key == kHKeyClassesRoot || key == kHKeyLocalMachine || key == kHKeyCurrentUser ||
         key == kHKeyUsers;
}

std::string JoinPath(const std::string& base, std::string sub) {
  while (!sub.empty() && sub.back() == '\\') sub.pop_back();
  if (base.empty()) return sub;
  return sub.empty() ? base : base + "\\" + sub;
}

// An enumerated name handed out with Windows' buffer rule.
long GiveName(const std::string& found, std::string* name, std::uint32_t maxChars) {
  if (RegNameLengthU32(found) + 1 > maxChars) return kErrorMoreData;
  *name = found;
  return kErrorSuccess;
}

}  // namespace

long WinePrefixRegistry::Current(HKey key, OpenKey* out) {
  const long rc = BeforeRead(key, "");
  return rc == kErrorSuccess ? Resolve(key, "", out) : rc;
}

long WinePrefixRegistry::Resolve(HKey key, const std::string& subKey, OpenKey* out) {
  std::vector<std::string> names;
  long rc = SplitFolded(subKey, &names);
  if (rc != kErrorSuccess) return rc;

  OpenKey start;
  const bool fromRoot = IsRoot(key);
  if (fromRoot) {
    const std::string active = ActivePrefix();
    rc = Refresh(active.empty() ? prefix_ : active);
    if (rc != kErrorSuccess) return rc;
    start.hives = hives_;
    start.root = key;
    start.classes = key == kHKeyClassesRoot;
    if (start.classes) {
      start.user = hives_->userClasses;
      start.machine = hives_->machineClasses;
    } else if (key == kHKeyLocalMachine) {
      start.machine = &hives_->machine;
    } else if (key == kHKeyCurrentUser) {
      start.machine = hives_->currentUser;
    } else {
      start.machine = &hives_->users;
    }
  } else {
    rc = Lookup(key, &start);
    if (rc != kErrorSuccess) return rc;
    if (!start.pending) {
      // A handle names a key, as on Windows, not one reading of the files:
      // once the files were read again (checked whenever a key is opened
      // from a root, and after every change made through Wine), the key is
      // found again in the new reading, or is gone.
      if (hives_ && start.hives != hives_) {
        OpenKey now;
        rc = Resolve(start.root, start.path, &now);
        if (rc == kErrorFileNotFound) return kErrorKeyDeleted;
        if (rc != kErrorSuccess) return rc;
        handles_[key - kFirstHandle] = now;
        start = now;
      }
    }
    if (start.pending) {
      // Made by a planned write: found in the files once the plan is done.
      OpenKey now;
      rc = Resolve(start.root, JoinPath(start.path, subKey), &now);
      if (rc == kErrorFileNotFound) {
        *out = start;
        out->path = JoinPath(start.path, subKey);
        return kErrorSuccess;
      }
      if (rc == kErrorSuccess) *out = now;
      return rc;
    }
  }

  // The 32-bit view: the redirected branches, named from a root.
  if (fromRoot && viewBits_ == 32 && start.hives->win64 && !names.empty()) {
    const std::string wow = "WOW6432NODE";
    const bool machineRoot = key == kHKeyLocalMachine;
    if (start.classes && IsRedirectedClass(names[0])) {
      names.insert(names.begin(), wow);
    } else if ((machineRoot || key == kHKeyCurrentUser) && names.size() >= 2 && names[0] == "SOFTWARE") {
      if (names[1] == "CLASSES") {
        if (names.size() >= 3 && IsRedirectedClass(names[2])) names.insert(names.begin() + 2, wow);
      } else if (machineRoot && names[1] != wow) {
        names.insert(names.begin() + 1, wow);
      }
    }
  }

  OpenKey found = start;
  found.path = JoinPath(start.path, subKey);
  int hops = kMaxLinkHops;
  found.machine = start.machine ? start.hives->Walk(start.machine, names, &hops) : nullptr;
  hops = kMaxLinkHops;
  found.user = start.user ? start.hives->Walk(start.user, names, &hops) : nullptr;
  if (found.machine == nullptr && found.user == nullptr) return kErrorFileNotFound;
  *out = found;
  return kErrorSuccess;
}

long WinePrefixRegistry::Open(HKey key, const std::string& subKey, bool create, HKey* result,
                              bool* created) {
  if (result == nullptr) return kErrorInvalidParameter;
  *result = 0;
  if (created != nullptr) *created = false;
  std::lock_guard<std::mutex> lock(mutex_);
  long rc = BeforeRead(key, subKey);
  if (rc != kErrorSuccess) return rc;
  OpenKey found;
  rc = Resolve(key, subKey, &found);
  if (rc == kErrorFileNotFound && create) {
    OpenKey parent;
    rc = IsRoot(key) ? Resolve(key, "", &parent) : Lookup(key, &parent);
    if (rc != kErrorSuccess) return rc;
    found = parent;
    found.path = JoinPath(parent.path, subKey);
    found.user = nullptr;
    found.machine = nullptr;
    found.pending = true;
    formats::RegOperation op;
    op.kind = formats::RegOpKind::CreateKey;
    rc = Plan(std::move(op), found);
    if (rc != kErrorSuccess) return rc;
    if (created != nullptr) *created = true;
  }
  if (rc != kErrorSuccess) return rc;
  for (std::size_t i = 0; i < handles_.size(); ++i) {
    if (!handles_[i].hives) {
      handles_[i] = found;
      *result = kFirstHandle + i;
      return kErrorSuccess;
    }
  }
  handles_.push_back(found);
  *result = kFirstHandle + (handles_.size() - 1);
  return kErrorSuccess;
}

long WinePrefixRegistry::Close(HKey key) {
  if (IsRoot(key)) return kErrorSuccess;
  std::lock_guard<std::mutex> lock(mutex_);
  OpenKey k;
  const long rc = Lookup(key, &k);
  if (rc != kErrorSuccess) return rc;
  handles_[key - kFirstHandle] = OpenKey{};
  return kErrorSuccess;
}

long WinePrefixRegistry::QueryValue(HKey key, const std::string& name, std::uint32_t* type,
                                    std::uint8_t* data, std::uint32_t* size) {
  if (data != nullptr && size == nullptr) return kErrorInvalidParameter;
  std::lock_guard<std::mutex> lock(mutex_);
  OpenKey k;
  long rc = Current(key, &k);
  if (rc != kErrorSuccess) return rc;
  if (k.pending) return kErrorFileNotFound;
  // A classes key present for the user reads its values from the user's key.
  const Value* v = k.Own()->FindValue(FoldName(name));
  if (v == nullptr) return kErrorFileNotFound;
  if (type != nullptr) *type = v->type;
  const auto length = static_cast<std::uint32_t>(v->data.size());
  if (data == nullptr) {
    if (size != nullptr) *size = length;
    return kErrorSuccess;
  }
  if (*size < length) {
    *size = length;
    return kErrorMoreData;
  }
  if (length > 0) std::memcpy(data, v->data.data(), length);
  *size = length;
  return kErrorSuccess;
}

long WinePrefixRegistry::SetValue(HKey key, const std::string& name, std::uint32_t type,
                                  const std::uint8_t* data, std::uint32_t size) {
  if ((data == nullptr && size > 0) || RegNameLengthU32(name) > formats::kRegMaxValueNameChars) {
    return kErrorInvalidParameter;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  OpenKey k;
  const long rc = Resolve(key, "", &k);
  if (rc != kErrorSuccess) return rc;
  formats::RegOperation op;
  op.kind = formats::RegOpKind::SetValue;
  op.valueName = name;
  op.type = type;
  if (size > 0) op.data.assign(data, data + size);
  return Plan(std::move(op), k);
}

long WinePrefixRegistry::DeleteKey(HKey key, const std::string& subKey) {
  // Windows refuses to delete a key that still has sub-keys.
  return PlanKeyDelete(key, subKey, false);
}

long WinePrefixRegistry::DeleteValue(HKey key, const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  OpenKey k;
  long rc = Current(key, &k);
  if (rc != kErrorSuccess) return rc;
  if (k.pending || k.Own()->FindValue(FoldName(name)) == nullptr) return kErrorFileNotFound;
  formats::RegOperation op;
  op.kind = formats::RegOpKind::DeleteValue;
  op.valueName = name;
  return Plan(std::move(op), k);
}

std::vector<std::string> WinePrefixRegistry::SubKeyNames(const OpenKey& key) const {
  std::vector<std::string> names;
  if (key.user == nullptr || key.machine == nullptr) {
    for (const auto& [fold, child] : key.Own()->children) names.push_back(child->name);
    return names;
  }
  // Both maps are in folded order: merge them, the user's spelling first.
  auto u = key.user->children.begin();
  auto m = key.machine->children.begin();
  while (u != key.user->children.end() || m != key.machine->children.end()) {
    if (m == key.machine->children.end() ||
        (u != key.user->children.end() && u->first < m->first)) {
      names.push_back((u++)->second->name);
    } else if (u == key.user->children.end() || m->first < u->first) {
      names.push_back((m++)->second->name);
    } else {
      names.push_back(u->second->name);
      ++u;
      ++m;
    }
  }
  return names;
}

long WinePrefixRegistry::EnumKey(HKey key, std::uint32_t index, std::string* name,
                                 std::uint32_t maxChars) {
  return EnumName(key, index, name, maxChars, true);
}

long WinePrefixRegistry::EnumValue(HKey key, std::uint32_t index, std::string* name,
                                   std::uint32_t maxChars) {
  return EnumName(key, index, name, maxChars, false);
}

long WinePrefixRegistry::EnumName(HKey key, std::uint32_t index, std::string* name,
                                  std::uint32_t maxChars, bool subKeys) {
  if (name == nullptr) return kErrorInvalidParameter;
  std::lock_guard<std::mutex> lock(mutex_);
  OpenKey k;
  long rc = Current(key, &k);
  if (rc != kErrorSuccess) return rc;
  if (k.pending) return kErrorNoMoreItems;
  std::string found;
  if (!subKeys) {
    if (index >= k.Own()->values.size()) return kErrorNoMoreItems;
    found = k.Own()->values[index].name;
  } else if (k.user == nullptr || k.machine == nullptr) {
    // The common case needs no list: walk the map to the index.
    const auto& children = k.Own()->children;
    if (index >= children.size()) return kErrorNoMoreItems;
    found = std::next(children.begin(), index)->second->name;
  } else {
    const std::vector<std::string> names = SubKeyNames(k);
    if (index >= names.size()) return kErrorNoMoreItems;
    found = names[index];
  }
  return GiveName(found, name, maxChars);
}

long WinePrefixRegistry::QueryInfo(HKey key, RegKeyInfo* info) {
  if (info == nullptr) return kErrorInvalidParameter;
  std::lock_guard<std::mutex> lock(mutex_);
  OpenKey k;
  long rc = Current(key, &k);
  if (rc != kErrorSuccess) return rc;
  RegKeyInfo result;
  if (k.pending) {
    *info = result;
    return kErrorSuccess;
  }
  const std::vector<std::string> names = SubKeyNames(k);
  result.subKeys = static_cast<std::uint32_t>(names.size());
  for (const std::string& n : names) result.maxSubKeyLen = std::max(result.maxSubKeyLen, RegNameLengthU32(n));
  const Node* node = k.Own();
  result.values = static_cast<std::uint32_t>(node->values.size());
  for (const Value& v : node->values) {
    result.maxValueNameLen = std::max(result.maxValueNameLen, RegNameLengthU32(v.name));
    result.maxValueLen = std::max(result.maxValueLen, static_cast<std::uint32_t>(v.data.size()));
  }
  *info = result;
  return kErrorSuccess;
}

}  // namespace korvane::platform::posix
