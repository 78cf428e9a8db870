#include "platform/posix/WinePrefixRegistry.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
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
// The user's key when user.reg does not name it.
constexpr char kDefaultUserSid[] = "S-1-5-21-0-0-0-1000";

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

struct WinePrefixRegistry::Hives {
  WineHive machine;  // REGISTRY\Machine
  WineHive users;    // REGISTRY\User: the user's SID and .Default below it
  WineKey currentUser;
  WineKey machineClasses;
  WineKey userClasses;
  bool win64 = true;
  std::array<FileStamp, kFiles.size()> stamps;

  // Resolves folded names below start, following links at every step.
  WineKey Walk(const WineKey& start, const std::vector<std::string>& names, int* hops) const {
    WineKey current = Follow(start, hops);
    for (const std::string& n : names) {
      if (!current.Exists()) return {};
      current = Follow(current.hive->Child(current, n), hops);
    }
    return current;
  }

  WineKey Follow(WineKey key, int* hops) const {
    while (key.Exists() && key.hive->IsLink(key)) {
      if (--*hops < 0) return {};
      WineValue target;
      if (!key.hive->FindValue(key, kLinkValue, &target)) return key;  // a link mark without a target: the key itself
      key = Target(formats::Utf16LeToUtf8(target.data), hops);
    }
    return key;
  }

  // "\Registry\Machine\Software\Classes\TypeLib" and the like.
  WineKey Target(const std::string& path, int* hops) const {
    std::vector<std::string> names;
    std::string p = path;
    while (!p.empty() && p.front() == '\\') p.erase(0, 1);
    while (!p.empty() && p.back() == '\0') p.pop_back();
    if (SplitFolded(p, &names) != kErrorSuccess || names.size() < 2 || names[0] != "REGISTRY") {
      return {};
    }
    const WineHive* root = names[1] == "MACHINE" ? &machine : names[1] == "USER" ? &users : nullptr;
    if (root == nullptr) return {};
    names.erase(names.begin(), names.begin() + 2);
    return Walk(root->Root(), names, hops);
  }
};

namespace {

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
  ForgetPlaces();
  pending_.clear();
}

std::string WinePrefixRegistry::Load(const std::string& prefix) {
  std::lock_guard<std::mutex> lock(mutex_);
  hives_.reset();
  handles_.clear();
  ForgetPlaces();
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
  ForgetPlaces();
  auto hives = std::make_shared<Hives>();
  hives->stamps = stamps;
  if (!stamps[0].present || !stamps[1].present) {
    loadError_ = prefix_ + " is not a Wine prefix (no system.reg or user.reg)";
    return kErrorRegistryIoFailed;
  }
  std::string sid;
  for (std::size_t i = 0; i < kFiles.size(); ++i) {
    if (!stamps[i].present) continue;  // a prefix may lack userdef.reg
    std::vector<std::uint8_t> bytes;
    if (!ReadFile(dir / kFiles[i], &bytes)) {
      loadError_ = (dir / kFiles[i]).string() + " cannot be read";
      return kErrorRegistryIoFailed;
    }
    if (i == 1) {
      // The user's SID names the file's root: its relative-to line comes first.
      sid = LastName(formats::WineRegistryRoot(bytes));
      if (sid.empty()) sid = kDefaultUserSid;
    }
    WineHive& hive = i == 0 ? hives->machine : hives->users;
    const formats::Expected<WineHiveFile> read = hive.Add(bytes, i == 0 ? "" : i == 1 ? sid : ".Default");
    if (!read) {
      loadError_ = (dir / kFiles[i]).string() + ": " + read.error().message;
      return kErrorRegistryCorrupt;
    }
    if (i == 0) hives->win64 = read->arch != "win32";
  }
  hives->machine.Finish();
  hives->users.Finish();
  int hops = kMaxLinkHops;
  hives->currentUser = hives->Walk(hives->users.Root(), {FoldName(sid)}, &hops);
  hops = kMaxLinkHops;
  hives->machineClasses = hives->Walk(hives->machine.Root(), {"SOFTWARE", "CLASSES"}, &hops);
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

constexpr std::array<HKey, 4> kRoots = {kHKeyClassesRoot, kHKeyCurrentUser, kHKeyLocalMachine, kHKeyUsers};

bool IsRoot(HKey key) { return std::find(kRoots.begin(), kRoots.end(), key) != kRoots.end(); }

std::size_t RootSlot(HKey key) {
  return static_cast<std::size_t>(std::find(kRoots.begin(), kRoots.end(), key) - kRoots.begin());
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
      start.machine = hives_->machine.Root();
    } else if (key == kHKeyCurrentUser) {
      start.machine = hives_->currentUser;
    } else {
      start.machine = hives_->users.Root();
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
  found.machine = start.machine.Exists() ? start.hives->Walk(start.machine, names, &hops) : WineKey{};
  hops = kMaxLinkHops;
  found.user = start.user.Exists() ? start.hives->Walk(start.user, names, &hops) : WineKey{};
  if (!found.machine.Exists() && !found.user.Exists()) return kErrorFileNotFound;
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
    found.user = WineKey{};
    found.machine = WineKey{};
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
  if (EnumPlace* place = PlaceOf(key)) *place = EnumPlace{};
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
  WineValue v;
  if (!k.Own().hive->FindValue(k.Own(), FoldName(name), &v)) return kErrorFileNotFound;
  if (type != nullptr) *type = v.type;
  const auto length = static_cast<std::uint32_t>(v.data.size());
  if (data == nullptr) {
    if (size != nullptr) *size = length;
    return kErrorSuccess;
  }
  if (*size < length) {
    *size = length;
    return kErrorMoreData;
  }
  if (length > 0) std::memcpy(data, v.data.data(), length);
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
  WineValue v;
  if (k.pending || !k.Own().hive->FindValue(k.Own(), FoldName(name), &v)) return kErrorFileNotFound;
  formats::RegOperation op;
  op.kind = formats::RegOpKind::DeleteValue;
  op.valueName = name;
  return Plan(std::move(op), k);
}

void WinePrefixRegistry::ForgetPlaces() {
  places_.clear();
  for (EnumPlace& p : rootPlace_) p = EnumPlace{};
}

WinePrefixRegistry::EnumPlace* WinePrefixRegistry::PlaceOf(HKey key) {
  if (IsRoot(key)) return &rootPlace_[RootSlot(key)];
  const std::size_t slot = key - kFirstHandle;
  if (places_.size() < handles_.size()) places_.resize(handles_.size());
  return slot < places_.size() ? &places_[slot] : nullptr;
}

WinePrefixRegistry::EnumPlace WinePrefixRegistry::FirstSubKey(const OpenKey& key) const {
  EnumPlace place;
  place.hives = key.hives.get();
  place.user = key.user;
  place.machine = key.machine;
  place.userAt = key.user.Exists() ? key.user.hive->FirstChild(key.user) : 0;
  place.machineAt = key.machine.Exists() ? key.machine.hive->FirstChild(key.machine) : 0;
  return place;
}

namespace {

// The folded name of the sub-key at `at`, or nothing past the last.
std::optional<std::string_view> FoldAt(const WineKey& key, std::uint32_t at) {
  if (!key.Exists() || at >= key.end) return std::nullopt;
  return key.hive->ChildFold(key, at);
}

}  // namespace

// Both sides are in folded order: the merge takes the smaller name, a name of
// both once, in the user's spelling.
bool WinePrefixRegistry::SubKeyAt(const EnumPlace& place, std::string_view* name) const {
  const auto u = FoldAt(place.user, place.userAt);
  const auto m = FoldAt(place.machine, place.machineAt);
  if (!u && !m) return false;
  *name = u && (!m || *u <= *m) ? place.user.hive->ChildName(place.user, place.userAt)
                                : place.machine.hive->ChildName(place.machine, place.machineAt);
  return true;
}

bool WinePrefixRegistry::NextSubKey(EnumPlace& place) const {
  const auto u = FoldAt(place.user, place.userAt);
  const auto m = FoldAt(place.machine, place.machineAt);
  if (!u && !m) return false;
  const bool takeUser = u && (!m || *u <= *m);
  const bool takeMachine = m && (!u || *m <= *u);
  if (takeUser) place.userAt = place.user.hive->NextChild(place.user, place.userAt);
  if (takeMachine) place.machineAt = place.machine.hive->NextChild(place.machine, place.machineAt);
  ++place.index;
  return true;
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
  if (!subKeys) {
    const WineKey& own = k.Own();
    if (index >= own.hive->ValueCount(own)) return kErrorNoMoreItems;
    return GiveName(std::string(own.hive->ValueAt(own, index).name), name, maxChars);
  }
  // Enumerated one index after another, each step goes on from the last.
  EnumPlace* kept = PlaceOf(key);
  EnumPlace place;
  if (kept != nullptr && kept->hives == k.hives.get() && kept->user == k.user && kept->machine == k.machine &&
      kept->index <= index) {
    place = *kept;
  } else {
    place = FirstSubKey(k);
  }
  while (place.index < index) {
    if (!NextSubKey(place)) return kErrorNoMoreItems;
  }
  std::string_view found;
  if (!SubKeyAt(place, &found)) return kErrorNoMoreItems;
  if (kept != nullptr) *kept = place;
  return GiveName(std::string(found), name, maxChars);
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
  EnumPlace place = FirstSubKey(k);
  for (std::string_view n; SubKeyAt(place, &n); NextSubKey(place)) {
    ++result.subKeys;
    result.maxSubKeyLen = std::max(result.maxSubKeyLen, RegNameLengthU32(n));
  }
  const WineKey& own = k.Own();
  result.values = own.hive->ValueCount(own);
  for (std::uint32_t i = 0; i < result.values; ++i) {
    const WineValue v = own.hive->ValueAt(own, i);
    result.maxValueNameLen = std::max(result.maxValueNameLen, RegNameLengthU32(v.name));
    result.maxValueLen = std::max(result.maxValueLen, static_cast<std::uint32_t>(v.data.size()));
  }
  *info = result;
  return kErrorSuccess;
}

}  // namespace korvane::platform::posix
