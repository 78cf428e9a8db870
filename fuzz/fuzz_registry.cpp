// Registry store operations driven by arbitrary bytes: key paths and names
// from untrusted files (.reg imports, type-library keys) must never crash the
// store or break its promises.
//
// Input: a sequence of operations, each one byte followed by length-prefixed
// fields. Checked after every step: a written value reads back exactly, a
// key opens again under another letter case, an enumeration lists a created
// key once, and name lengths are never longer than their bytes.

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/RegFile.h"
#include "platform/Registry.h"
#include "platform/posix/RegistryNames.h"

using namespace korvane::platform;

namespace {

constexpr char kBase[] = "Software\\Fuzz";

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool Empty() const { return pos_ >= size_; }
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::string Text(std::size_t limit) {
    const std::size_t n = std::min<std::size_t>(Byte() % (limit + 1), size_ - pos_);
    std::string s(reinterpret_cast<const char*>(data_ + pos_), n);
    pos_ += n;
    return s;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "broken promise: %s\n", what);
    std::abort();
  }
}

std::string FlipAsciiCase(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return s;
}

// Removes a key and everything below it.
void DeleteTree(HKey root, const std::string& path) {
  HKey key = 0;
  if (RegOpenKeyEx(root, path, kKeyEnumerateSubKeys, &key) != kErrorSuccess) return;
  std::string name;
  std::vector<std::string> children;
  for (std::uint32_t i = 0; RegEnumKey(key, i, &name, 256) == kErrorSuccess; ++i) {
    children.push_back(name);
  }
  RegCloseKey(key);
  for (const std::string& child : children) DeleteTree(root, path + "\\" + child);
  RegDeleteKey(root, path);
}

void SetAndCheck(const std::string& path, const std::string& name, std::uint32_t type,
                 const std::string& bytes) {
  HKey key = 0;
  if (RegCreateKeyEx(kHKeyCurrentUser, path, kKeyAllSpecific, &key) != kErrorSuccess) return;
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
  const auto size = static_cast<std::uint32_t>(bytes.size());
  if (RegSetValueEx(key, name, type, data, size) == kErrorSuccess) {
    std::uint32_t storedType = 0;
    std::uint32_t needed = 0;
    Check(RegQueryValueEx(key, name, &storedType, nullptr, &needed) == kErrorSuccess,
          "a written value can be queried");
    Check(storedType == type && needed == size, "type and size come back");
    std::vector<std::uint8_t> back(size + 1, 0xA5);
    std::uint32_t got = size + 1;
    Check(RegQueryValueEx(key, FlipAsciiCase(name), &storedType, back.data(), &got) ==
              kErrorSuccess,
          "the value answers to another letter case");
    Check(got == size && std::equal(data, data + size, back.begin()) && back[size] == 0xA5,
          "the bytes come back exactly, nothing past them");
  }
  RegCloseKey(key);
}

void OpenAndCheck(const std::string& path) {
  HKey key = 0;
  const long plain = RegOpenKeyEx(kHKeyCurrentUser, path, kKeyQueryValue, &key);
  if (plain == kErrorSuccess) RegCloseKey(key);
  const long flipped = RegOpenKeyEx(kHKeyCurrentUser, FlipAsciiCase(path), kKeyQueryValue, &key);
  if (flipped == kErrorSuccess) RegCloseKey(key);
  Check(plain == flipped, "letter case does not change whether a key opens");
}

void EnumerateAndCheck(const std::string& path) {
  HKey key = 0;
  if (RegOpenKeyEx(kHKeyCurrentUser, path, kKeyQueryValue, &key) != kErrorSuccess) return;
  RegKeyInfo info;
  Check(RegQueryInfoKey(key, &info) == kErrorSuccess, "an open key has its info");
  std::string name;
  std::uint32_t keys = 0;
  std::string previousFold;
  while (RegEnumKey(key, keys, &name, info.maxSubKeyLen + 1) == kErrorSuccess) {
    const std::string fold = korvane::platform::posix::FoldName(name);
    Check(keys == 0 || previousFold < fold, "sub-keys come sorted, each once");
    previousFold = fold;
    ++keys;
  }
  std::uint32_t values = 0;
  while (RegEnumValue(key, values, &name, info.maxValueNameLen + 1) == kErrorSuccess) ++values;
  Check(keys == info.subKeys && values == info.values, "enumerations match the counts");
  RegCloseKey(key);
}

}  // namespace

std::string g_storeDir;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  g_storeDir = (std::filesystem::temp_directory_path() /
                ("korvane-fuzz-registry-" + std::to_string(::getpid())))
                   .string();
  std::filesystem::create_directories(g_storeDir);
  ::setenv("KORVANE_REGISTRY", (g_storeDir + "/registry.db").c_str(), 1);
  std::atexit([] {
    std::error_code ec;
    std::filesystem::remove_all(g_storeDir, ec);
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  for (int steps = 0; steps < 32 && !in.Empty(); ++steps) {
    const std::uint8_t op = in.Byte();
    const std::string path = std::string(kBase) + "\\" + in.Text(48);
    switch (op % 6) {
      case 0: {
        const std::string name = in.Text(24);
        const std::uint32_t type = in.Byte() % 12;
        SetAndCheck(path, name, type, in.Text(64));
        break;
      }
      case 1:
        OpenAndCheck(path);
        break;
      case 2: {
        HKey key = 0;
        if (RegOpenKeyEx(kHKeyCurrentUser, path, kKeyAllSpecific, &key) == kErrorSuccess) {
          RegDeleteValue(key, in.Text(24));
          RegCloseKey(key);
        }
        break;
      }
      case 3:
        RegDeleteKey(kHKeyCurrentUser, path);
        break;
      case 4:
        EnumerateAndCheck(path);
        break;
      default: {
        const std::string name = in.Text(64);
        const std::string fold = korvane::platform::posix::FoldName(name);
        Check(korvane::platform::posix::FoldName(fold) == fold, "folding is stable");
        Check(korvane::formats::RegNameLength(name) <= name.size(),
              "a name is never longer than its bytes");
        std::string expanded;
        const std::uint32_t needed = ExpandEnvironmentStrings(name, &expanded);
        Check(needed == expanded.size() + 1, "expansion size counts the NUL");
        break;
      }
    }
  }
  DeleteTree(kHKeyCurrentUser, kBase);
  return 0;
}
