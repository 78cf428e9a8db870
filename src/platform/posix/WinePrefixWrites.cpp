// Writing into a Wine prefix: the planned writes of WinePrefixRegistry and
// how they reach the prefix (a .reg file imported by the Windows korvane-cli
// under Wine).

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <utility>
#include <vector>

#include "formats/RegFileWriter.h"
#include "platform/WineRunner.h"
#include "platform/posix/RegistryNames.h"
#include "platform/posix/WinePrefixRegistry.h"

namespace korvane::platform::posix {

namespace {

formats::RegRoot RootOf(HKey key) {
  switch (key) {
    case kHKeyClassesRoot: return formats::RegRoot::ClassesRoot;
    case kHKeyLocalMachine: return formats::RegRoot::LocalMachine;
    case kHKeyUsers: return formats::RegRoot::Users;
    default: return formats::RegRoot::CurrentUser;
  }
}

// One name for each key whatever way it was reached, for telling whether a
// read concerns a planned key: the classes keys of the machine, the user and
// the merged root share one space.
std::string Canonical(formats::RegRoot root, const std::string& path) {
  const std::string fold = FoldName(path);
  const std::string classes = "SOFTWARE\\CLASSES";
  if (root == formats::RegRoot::ClassesRoot) return fold.empty() ? "CLASSES" : "CLASSES\\" + fold;
  if ((root == formats::RegRoot::LocalMachine || root == formats::RegRoot::CurrentUser) &&
      (fold == classes || fold.rfind(classes + "\\", 0) == 0)) {
    return "CLASSES" + fold.substr(classes.size());
  }
  return std::string(formats::RegRootLongName(root)) + (fold.empty() ? "" : "\\" + fold);
}

bool Related(const std::string& a, const std::string& b) {
  const std::string& shorter = a.size() <= b.size() ? a : b;
  const std::string& longer = a.size() <= b.size() ? b : a;
  return longer.compare(0, shorter.size(), shorter) == 0 &&
         (longer.size() == shorter.size() || longer[shorter.size()] == '\\');
}

bool IsBelow(const std::string& path, const std::string& above) {
  return path.size() > above.size() && path.compare(0, above.size(), above) == 0 && path[above.size()] == '\\';
}

// Whether deleting subKey's tree below key would take a root or the classes
// key with it (the same keys the store protects).
bool TreeHoldsProtectedKey(HKey key, const std::string& subKey) {
  std::string path = FoldName(subKey);
  while (!path.empty() && path.back() == '\\') path.pop_back();
  if (path.empty()) return true;
  return key == kHKeyLocalMachine && (path == FoldName("Software") || path == FoldName("Software\\Classes"));
}

// Whether the .reg text can carry the operation as it is: a key name with a
// control character is refused (Windows refuses such names too), and a value
// name with a line break could not stay on its line.
bool ExpressibleInRegText(const formats::RegOperation& op) {
  constexpr unsigned char kFirstPrintable = 0x20;
  for (char c : op.key.path) {
    if (static_cast<unsigned char>(c) < kFirstPrintable) return false;
  }
  return op.valueName.find_first_of("\r\n") == std::string::npos;
}

struct ClassMapping {
  const char* extension;
  const char* fileClass;
};
constexpr ClassMapping kClassMappings[] = {{".dll", "dllfile"}, {".exe", "exefile"}, {".ocx", "ocxfile"}};

}  // namespace

long WinePrefixRegistry::BeforeRead(HKey key, const std::string& subKey, bool deletesBelowKnown) {
  if (pending_.empty()) return kErrorSuccess;
  HKey root = key;
  std::string path = subKey;
  if (key != kHKeyClassesRoot && key != kHKeyLocalMachine && key != kHKeyCurrentUser &&
      key != kHKeyUsers) {
    OpenKey k;
    if (Lookup(key, &k) != kErrorSuccess) return kErrorSuccess;  // the read reports it
    root = k.root;
    path = k.path + (subKey.empty() ? "" : "\\" + subKey);
  }
  const std::string target = Canonical(RootOf(root), path);
  for (const formats::RegOperation& op : pending_) {
    const std::string planned = Canonical(op.key.root, op.key.path);
    if (deletesBelowKnown && op.kind == formats::RegOpKind::DeleteKey && IsBelow(planned, target)) continue;
    if (Related(target, planned)) {
      // A failure stays for FlushWrites to report; the read then sees the files.
      flushError_ = Flush();
      break;
    }
  }
  return kErrorSuccess;
}

long WinePrefixRegistry::Plan(formats::RegOperation operation, const OpenKey& key) {
  operation.key.root = RootOf(key.root);
  operation.key.path = key.path;
  if (!ExpressibleInRegText(operation)) return kErrorInvalidParameter;
  pending_.push_back(std::move(operation));
  if (!exitHook_) {
    exitHook_ = true;
    std::atexit([] { Instance().FlushWrites(); });
  }
  return kErrorSuccess;
}

std::string WinePrefixRegistry::Flush() {
  if (pending_.empty()) return {};
  const std::vector<formats::RegOperation> operations = std::move(pending_);
  pending_.clear();
  const std::vector<std::uint8_t> bytes = formats::WriteRegFile(operations);

  std::error_code ec;
  std::string file = (std::filesystem::temp_directory_path(ec) / "korvane-prefix-XXXXXX.reg").string();
  const int fd = ::mkstemps(file.data(), 4);
  if (fd < 0) return "cannot write a temporary file for the prefix's changes";
  const bool written = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  ::close(fd);
  std::string problem;
  const auto windowsFile = WindowsPathForWine(prefix_, file);
  if (!written) {
    problem = "cannot write the prefix's changes to " + file;
  } else if (!windowsFile) {
    problem = "Wine cannot read the prefix's changes from the temporary file: " + windowsFile.error().message +
              " (TMPDIR names the folder for it)";
  } else {
    const bool x86 = viewBits_ == 32 || !WinePrefixIs64Bit(prefix_);
    const WineRunResult run =
        RunWindowsCli(x86 ? WindowsArch::X86 : WindowsArch::X64, {"reg", "import", *windowsFile});
    if (!run.ran) {
      problem = run.problem;
    } else if (run.exitCode != 0) {
      problem = "the Wine prefix's registry was not changed: " +
                (run.errors.empty() ? "reg import ended with code " + std::to_string(run.exitCode)
                                    : run.errors.substr(0, run.errors.find('\n')));
    }
  }
  std::filesystem::remove(file, ec);
  // What Wine wrote is read at once, so that open handles see it too.
  forceReload_ = true;
  Refresh(prefix_);
  return problem;
}

long WinePrefixRegistry::DeleteTree(HKey key, const std::string& subKey) {
  if (TreeHoldsProtectedKey(key, subKey)) return kErrorAccessDenied;
  // One planned delete of the key takes everything below it along (`reg
  // import` deletes a [-key] block's whole tree): no key of the tree has to be
  // carried out, and waited for, before its parent.
  if (!subKey.empty()) return PlanKeyDelete(key, subKey, true);
  // Made of the public calls, each of which takes the lock itself.
  HKey top = 0;
  long rc = Open(key, subKey, false, &top, nullptr);
  if (rc != kErrorSuccess) return rc;
  std::vector<std::string> children;
  for (std::uint32_t i = 0;; ++i) {
    std::string name;
    if (EnumKey(top, i, &name, formats::kRegMaxKeyNameChars + 1) != kErrorSuccess) break;
    children.push_back(name);
  }
  for (const std::string& child : children) {
    rc = DeleteTree(top, child);
    if (rc != kErrorSuccess) break;
  }
  Close(top);
  if (rc != kErrorSuccess) return rc;
  return DeleteKey(key, subKey);
}

long WinePrefixRegistry::PlanKeyDelete(HKey key, const std::string& subKey, bool withTree) {
  std::lock_guard<std::mutex> lock(mutex_);
  // Sub-keys whose deletes are planned count as gone: deleting a command key
  // and then its verb key costs one run of Wine, not one each.
  long rc = BeforeRead(key, subKey, !withTree);
  if (rc != kErrorSuccess) return rc;
  OpenKey k;
  rc = Resolve(key, subKey, &k);
  if (rc != kErrorSuccess) return rc;
  if (k.path.empty()) return kErrorAccessDenied;
  if (!withTree && !k.pending) {
    const std::string target = Canonical(RootOf(k.root), k.path);
    for (const WineKey& hiveKey : {k.user, k.machine}) {
      if (!hiveKey.Exists()) continue;
      const WineHive& hive = *hiveKey.hive;
      for (std::uint32_t at = hive.FirstChild(hiveKey); at < hiveKey.end; at = hive.NextChild(hiveKey, at)) {
        const std::string name = target + "\\" + std::string(hive.ChildFold(hiveKey, at));
        const bool planned = std::any_of(pending_.begin(), pending_.end(), [&](const formats::RegOperation& op) {
          return op.kind == formats::RegOpKind::DeleteKey && Canonical(op.key.root, op.key.path) == name;
        });
        if (!planned) return kErrorAccessDenied;
      }
    }
  }
  formats::RegOperation op;
  op.kind = formats::RegOpKind::DeleteKey;
  return Plan(std::move(op), k);
}

std::string WinePrefixRegistry::FlushWrites() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::string problem = Flush();
  if (problem.empty()) problem = std::exchange(flushError_, {});
  return problem;
}

std::string WinePrefixRegistry::EnsureClassKeys() {
  std::lock_guard<std::mutex> lock(mutex_);
  OpenKey root;
  long rc = Resolve(kHKeyClassesRoot, "", &root);
  if (rc != kErrorSuccess) return loadError_.empty() ? "the Wine prefix cannot be read" : loadError_;
  for (const ClassMapping& m : kClassMappings) {
    OpenKey found;
    if (Resolve(kHKeyClassesRoot, m.extension, &found) == kErrorSuccess) continue;
    OpenKey key = root;
    key.path = m.extension;
    formats::RegOperation op;
    op.kind = formats::RegOpKind::SetValue;
    op.type = kRegSz;
    const std::string data = m.fileClass;
    op.data.assign(data.begin(), data.end());
    op.data.push_back(0);
    Plan(std::move(op), key);
    key.path = m.fileClass;
    formats::RegOperation create;
    create.kind = formats::RegOpKind::CreateKey;
    Plan(std::move(create), key);
  }
  return Flush();
}

}  // namespace korvane::platform::posix
