#include "formats/RegFile.h"

#include <array>

#include "formats/TextCodec.h"

namespace korvane::formats {

namespace {

struct RootNames {
  RegRoot root;
  const char* longName;
  const char* shortName;
};

constexpr std::array<RootNames, 4> kRoots{{
    {RegRoot::ClassesRoot, "HKEY_CLASSES_ROOT", "HKCR"},
    {RegRoot::CurrentUser, "HKEY_CURRENT_USER", "HKCU"},
    {RegRoot::LocalMachine, "HKEY_LOCAL_MACHINE", "HKLM"},
    {RegRoot::Users, "HKEY_USERS", "HKU"},
}};

// HKEY_CLASSES_ROOT\x is HKEY_LOCAL_MACHINE\Software\Classes\x.
constexpr std::size_t kClassesRootDepth = 2;

}  // namespace

std::size_t RegNameLength(std::string_view name) {
  std::size_t units = 0;
  std::size_t pos = 0;
  while (pos < name.size()) units += DecodeUtf8(name, pos) >= 0x10000 ? 2 : 1;
  return units;
}

const char* RegRootLongName(RegRoot root) {
  for (const auto& r : kRoots) {
    if (r.root == root) return r.longName;
  }
  return "";
}

std::optional<RegRoot> ParseRegRootName(std::string_view name) {
  for (const auto& r : kRoots) {
    if (EqualsIgnoringAsciiCase(name, r.longName) || EqualsIgnoringAsciiCase(name, r.shortName)) {
      return r.root;
    }
  }
  return std::nullopt;
}

Expected<RegKeyName> ParseRegKeyName(std::string_view full) {
  auto fail = [](std::string message) { return Error{ErrorKind::kBadKeyName, std::move(message)}; };
  std::size_t slash = full.find('\\');
  std::string_view rootText = full.substr(0, slash);
  std::optional<RegRoot> root = ParseRegRootName(rootText);
  if (!root) {
    return fail("unknown registry root '" + std::string(rootText) +
                "' (a key starts with HKCR, HKCU, HKLM or HKU)");
  }

  RegKeyName key;
  key.root = *root;
  if (slash == std::string_view::npos) return key;
  std::string_view rest = full.substr(slash + 1);
  // One trailing backslash names the same key, as Windows' tools accept it.
  if (!rest.empty() && rest.back() == '\\') rest.remove_suffix(1);
  if (rest.empty()) return key;

  std::size_t start = 0;
  std::size_t depth = key.root == RegRoot::ClassesRoot ? kClassesRootDepth : 0;
  for (;;) {
    std::size_t end = rest.find('\\', start);
    std::string_view component = rest.substr(start, end == std::string_view::npos ? rest.npos : end - start);
    if (component.empty()) return fail("empty key name in '" + std::string(full) + "'");
    if (RegNameLength(component) > kRegMaxKeyNameChars) {
      return fail("a key name is longer than " + std::to_string(kRegMaxKeyNameChars) +
                  " characters");
    }
    if (++depth > kRegMaxKeyDepth) {
      return fail("the key is nested deeper than " + std::to_string(kRegMaxKeyDepth) +
                  " levels, the registry's limit");
    }
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  key.path = std::string(rest);
  return key;
}

std::string RegKeyFullName(const RegKeyName& key) {
  std::string name = RegRootLongName(key.root);
  if (!key.path.empty()) {
    name.push_back('\\');
    name += key.path;
  }
  return name;
}

}  // namespace korvane::formats
