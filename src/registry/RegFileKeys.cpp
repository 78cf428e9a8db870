#include "registry/RegFileKeys.h"

namespace korvane {

namespace {

using formats::RegKeyName;
namespace pf = platform;

// Room for the longest key name and its NUL, counted as the registry counts.
constexpr std::uint32_t kNameBuffer = formats::kRegMaxKeyNameChars + 1;

// Opens a key and closes it when the scope ends.
class OpenKey {
 public:
  OpenKey(const RegKeyName& key, std::uint32_t access) {
    result_ = pf::RegOpenKeyEx(RegRootHandle(key.root), key.path, access, &handle_);
  }
  ~OpenKey() {
    if (result_ == pf::kErrorSuccess) pf::RegCloseKey(handle_);
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  long result() const { return result_; }
  pf::HKey handle() const { return handle_; }

 private:
  pf::HKey handle_ = 0;
  long result_ = pf::kErrorInvalidHandle;
};

long QueryValue(pf::HKey key, const std::string& name, RegFileValue* value) {
  // The size may grow between the two calls when someone else writes: retry.
  for (int attempt = 0; attempt < 4; ++attempt) {
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    long r = pf::RegQueryValueEx(key, name, &type, nullptr, &size);
    if (r != pf::kErrorSuccess && r != pf::kErrorMoreData) return r;
    std::vector<std::uint8_t> data(size);
    r = pf::RegQueryValueEx(key, name, &type, data.empty() ? nullptr : data.data(), &size);
    if (r == pf::kErrorMoreData) continue;
    if (r != pf::kErrorSuccess) return r;
    data.resize(size);
    value->name = name;
    value->type = type;
    value->data = std::move(data);
    return pf::kErrorSuccess;
  }
  return pf::kErrorMoreData;
}

}  // namespace

pf::HKey RegRootHandle(formats::RegRoot root) {
  switch (root) {
    case formats::RegRoot::ClassesRoot: return pf::kHKeyClassesRoot;
    case formats::RegRoot::CurrentUser: return pf::kHKeyCurrentUser;
    case formats::RegRoot::LocalMachine: return pf::kHKeyLocalMachine;
    case formats::RegRoot::Users: return pf::kHKeyUsers;
  }
  return 0;
}

long RegProbeKey(const RegKeyName& key) {
  OpenKey open(key, pf::kKeyQueryValue);
  return open.result();
}

bool RegKeyExists(const RegKeyName& key) { return RegProbeKey(key) == pf::kErrorSuccess; }

long RegReadValues(const RegKeyName& key, std::vector<RegFileValue>* values) {
  values->clear();
  OpenKey open(key, pf::kKeyQueryValue);
  if (open.result() != pf::kErrorSuccess) return open.result();
  pf::RegKeyInfo info;
  long r = pf::RegQueryInfoKey(open.handle(), &info);
  if (r != pf::kErrorSuccess) return r;
  const std::uint32_t buffer = info.maxValueNameLen * 4 + 1;
  for (std::uint32_t index = 0;; ++index) {
    std::string name;
    r = pf::RegEnumValue(open.handle(), index, &name, buffer);
    if (r == pf::kErrorNoMoreItems) return pf::kErrorSuccess;
    if (r != pf::kErrorSuccess) return r;
    RegFileValue value;
    r = QueryValue(open.handle(), name, &value);
    if (r != pf::kErrorSuccess) return r;
    values->push_back(std::move(value));
  }
}

long RegReadValue(const RegKeyName& key, const std::string& name, RegFileValue* value) {
  OpenKey open(key, pf::kKeyQueryValue);
  if (open.result() != pf::kErrorSuccess) return open.result();
  return QueryValue(open.handle(), name, value);
}

long RegListSubKeys(const RegKeyName& key, std::vector<std::string>* names) {
  names->clear();
  OpenKey open(key, pf::kKeyEnumerateSubKeys);
  if (open.result() != pf::kErrorSuccess) return open.result();
  for (std::uint32_t index = 0;; ++index) {
    std::string name;
    long r = pf::RegEnumKey(open.handle(), index, &name, kNameBuffer);
    if (r == pf::kErrorNoMoreItems) return pf::kErrorSuccess;
    if (r != pf::kErrorSuccess) return r;
    names->push_back(std::move(name));
  }
}

long RegWriteValue(const RegKeyName& key, const std::string& name, std::uint32_t type,
                   const std::vector<std::uint8_t>& data) {
  pf::HKey handle = 0;
  long r = pf::RegCreateKeyEx(RegRootHandle(key.root), key.path, pf::kKeyAllSpecific, &handle);
  if (r != pf::kErrorSuccess) return r;
  r = pf::RegSetValueEx(handle, name, type, data.empty() ? nullptr : data.data(),
                        static_cast<std::uint32_t>(data.size()));
  pf::RegCloseKey(handle);
  return r;
}

long RegRemoveValue(const RegKeyName& key, const std::string& name) {
  OpenKey open(key, pf::kKeyAllSpecific);
  if (open.result() != pf::kErrorSuccess) return open.result();
  return pf::RegDeleteValue(open.handle(), name);
}

long RegDeleteTree(const RegKeyName& key) {
  return pf::RegDeleteTree(RegRootHandle(key.root), key.path);
}

long RegWalkTree(const RegKeyName& top, const std::function<long(const RegKeyName&)>& visit) {
  // Keys still to visit, the next one last.
  std::vector<RegKeyName> pending{top};
  while (!pending.empty()) {
    const RegKeyName key = std::move(pending.back());
    pending.pop_back();
    long r = visit(key);
    if (r != pf::kErrorSuccess) return r;
    std::vector<std::string> subKeys;
    r = RegListSubKeys(key, &subKeys);
    if (r != pf::kErrorSuccess) return r;
    for (auto sub = subKeys.rbegin(); sub != subKeys.rend(); ++sub) {
      pending.push_back({key.root, key.path.empty() ? *sub : key.path + "\\" + *sub});
    }
  }
  return pf::kErrorSuccess;
}

}  // namespace korvane
