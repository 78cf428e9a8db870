#include "typelib/IdlNames.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <map>
#include <set>

#include "typelib/ImportedTypes.h"

namespace korvane::typelib {

using namespace formats;

namespace {

// Words the Wine IDL compiler takes as keywords wherever they stand, so that
// none of them can name a type or a member.
constexpr std::string_view kKeywords[] = {
    "FALSE", "NULL", "TRUE", "__cdecl", "__fastcall", "__int32", "__int3264", "__int64", "__pascal",
    "__stdcall", "_cdecl", "_stdcall", "boolean", "byte", "case", "cdecl", "char", "coclass", "const",
    "cpp_quote", "default", "dispinterface", "double", "enum", "error_status_t", "extern", "float",
    "handle_t", "hyper", "import", "importlib", "inline", "int", "interface", "library", "long", "methods",
    "module", "pascal", "properties", "register", "short", "signed", "sizeof", "small", "static", "stdcall",
    "struct", "switch", "typedef", "union", "unsigned", "void", "wchar_t",
};
static_assert(std::is_sorted(std::begin(kKeywords), std::end(kKeywords)), "kept sorted for the binary search");
constexpr std::size_t kLongestKeyword =
    std::max_element(std::begin(kKeywords), std::end(kKeywords), [](auto a, auto b) { return a.size() < b.size(); })
        ->size();

bool IsKeyword(std::string_view name) {
  return std::binary_search(std::begin(kKeywords), std::end(kKeywords), name);
}

constexpr bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// What each byte is in an identifier; 0 for a byte that cannot stand in one.
constexpr unsigned kUpper = 1;
constexpr unsigned kLower = 2;
constexpr unsigned kOther = 4;  // '_' and the digits
constexpr std::size_t kByteValues = 256;

constexpr std::array<unsigned char, kByteValues> MakeCharKinds() {
  std::array<unsigned char, kByteValues> kinds{};
  for (std::size_t byte = 0; byte < kByteValues; ++byte) {
    const auto c = static_cast<char>(byte);
    if (c >= 'A' && c <= 'Z') kinds[byte] = kUpper;
    if (c >= 'a' && c <= 'z') kinds[byte] = kLower;
    if (c == '_' || IsDigit(c)) kinds[byte] = kOther;
  }
  return kinds;
}
constexpr std::array<unsigned char, kByteValues> kCharKinds = MakeCharKinds();

// The name with every byte IDL does not take in an identifier as '_', one
// before a leading digit, and one after a keyword.
std::string IdentifierFrom(std::string_view name) {
  std::string out;
  if (!name.empty() && IsDigit(name.front())) out += '_';
  for (char c : name) out += IsLetter(c) || IsDigit(c) ? c : '_';
  if (IsKeyword(out)) out += '_';
  return out;
}

// The names of one scope: a valid name stands for itself; an invalid one
// gets an identifier no other name of the scope has. The names already in
// the scope are collected only when the first name needs changing.
class Scope {
 public:
  template <typename Collect>
  explicit Scope(std::vector<NameChange>& changes, Collect collect)
      : changes_(changes), collect_([collect](std::set<std::string>& names) { collect(names); }) {}

  bool Changed() const { return !chosen_.empty(); }

  void Fix(std::string& name) {
    if (name.empty() || IsIdlIdentifier(name)) return;
    auto known = chosen_.find(name);
    if (known != chosen_.end()) {
      name = known->second;
      return;
    }
    if (!collected_) {
      collect_(used_);
      collected_ = true;
    }
    const std::string base = IdentifierFrom(name);
    std::string candidate = base;
    for (int n = 2; used_.count(candidate); ++n) candidate = base + "_" + std::to_string(n);
    used_.insert(candidate);
    chosen_.emplace(name, candidate);
    changes_.push_back(NameChange{name, candidate});
    name = candidate;
  }

 private:
  std::vector<NameChange>& changes_;
  std::function<void(std::set<std::string>&)> collect_;
  bool collected_ = false;
  std::set<std::string> used_;
  std::map<std::string, std::string> chosen_;
};

}  // namespace

void MakeIdlMemberNames(TypeInfo& type, std::vector<NameChange>& changes) {
  Scope members(changes, [&type](std::set<std::string>& names) {
    for (const auto& f : type.functions) names.insert(f.name);
    for (const auto& v : type.variables) names.insert(v.name);
  });
  for (auto& v : type.variables) members.Fix(v.name);
  for (auto& f : type.functions) {
    members.Fix(f.name);
    Scope params(changes, [&f](std::set<std::string>& names) {
      for (const auto& p : f.params) names.insert(p.name);
    });
    for (auto& p : f.params) params.Fix(p.name);
  }
}

bool IsIdlIdentifier(std::string_view name) {
  if (name.empty() || !IsLetter(name.front())) return false;
  unsigned seen = 0;
  for (char c : name) {
    const unsigned kind = kCharKinds[static_cast<unsigned char>(c)];
    if (kind == 0) return false;
    seen |= kind;
  }
  // Every keyword is in one letter case and short: most names are neither,
  // and there are many names.
  return (seen & kUpper && seen & kLower) || name.size() > kLongestKeyword || !IsKeyword(name);
}

namespace {

// Whether every type of the imported libraries has an identifier for a name
// (a library not given leaves only names made of identifiers).
bool ImportedNamesValid(const ImportedLibraries& imported) {
  for (const TypeLibrary* other : imported) {
    if (!other) continue;
    for (const auto& type : other->types) {
      if (!IsIdlIdentifier(type.name)) return false;
    }
  }
  return true;
}

}  // namespace

std::vector<NameChange> MakeIdlNames(TypeLibrary& library, const ImportedLibraries& imported) {
  std::vector<NameChange> changes;
  Scope libraryName(changes, [](std::set<std::string>&) {});
  libraryName.Fix(library.attributes.name);
  Scope types(changes, [&library](std::set<std::string>& names) {
    for (const auto& type : library.types) names.insert(type.name);
    ForEachTypeRef(library, [&names](TypeRef& ref) { names.insert(ref.name); });
  });
  for (auto& type : library.types) types.Fix(type.name);
  // A reference to one of the library's own types carries that type's name,
  // checked already; one into an imported library that library's name.
  if (types.Changed() || !ImportedNamesValid(imported)) {
    ForEachTypeRef(library, [&types](TypeRef& ref) { types.Fix(ref.name); });
  }
  return changes;
}

std::vector<NameChange> DistinctChanges(std::vector<NameChange> changes) {
  std::vector<NameChange> distinct;
  std::set<std::pair<std::string, std::string>> seen;
  for (auto& change : changes) {
    if (seen.emplace(change.from, change.to).second) distinct.push_back(std::move(change));
  }
  return distinct;
}

std::string CommentText(std::string_view text) {
  constexpr unsigned char kFirstPrintable = 0x20;
  constexpr unsigned char kDelete = 0x7f;
  std::string out;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < kFirstPrintable || byte == kDelete) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace korvane::typelib
