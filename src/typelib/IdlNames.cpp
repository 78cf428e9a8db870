#include "typelib/IdlNames.h"

#include <algorithm>
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

bool IsKeyword(std::string_view name) {
  return std::binary_search(std::begin(kKeywords), std::end(kKeywords), name);
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

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

void FixMembers(TypeInfo& type, std::vector<NameChange>& changes) {
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

}  // namespace

bool IsIdlIdentifier(std::string_view name) {
  if (name.empty() || !IsLetter(name.front())) return false;
  for (char c : name) {
    if (!IsLetter(c) && !IsDigit(c)) return false;
  }
  return !IsKeyword(name);
}

std::vector<NameChange> MakeIdlNames(TypeLibrary& library) {
  std::vector<NameChange> changes;
  Scope libraryName(changes, [](std::set<std::string>&) {});
  libraryName.Fix(library.attributes.name);
  Scope types(changes, [&library](std::set<std::string>& names) {
    for (const auto& type : library.types) names.insert(type.name);
    ForEachTypeRef(library, [&names](TypeRef& ref) { names.insert(ref.name); });
  });
  for (auto& type : library.types) types.Fix(type.name);
  ForEachTypeRef(library, [&types](TypeRef& ref) { types.Fix(ref.name); });
  for (auto& type : library.types) FixMembers(type, changes);
  // One change made in several scopes is said once.
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
