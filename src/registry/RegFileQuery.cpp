#include "registry/RegFileQuery.h"

#include <array>
#include <cstdio>

#include "formats/TextCodec.h"

namespace korvane {

namespace {

using formats::RegKeyName;

struct TypeEntry {
  std::uint32_t code;
  const char* name;
};

constexpr std::array<TypeEntry, 12> kTypes{{
    {0, "REG_NONE"},
    {1, "REG_SZ"},
    {2, "REG_EXPAND_SZ"},
    {3, "REG_BINARY"},
    {4, "REG_DWORD"},
    {5, "REG_DWORD_BIG_ENDIAN"},
    {6, "REG_LINK"},
    {7, "REG_MULTI_SZ"},
    {8, "REG_RESOURCE_LIST"},
    {9, "REG_FULL_RESOURCE_DESCRIPTOR"},
    {10, "REG_RESOURCE_REQUIREMENTS_LIST"},
    {11, "REG_QWORD"},
}};

std::string Hex(std::uint64_t v) {
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "0x%llx", static_cast<unsigned long long>(v));
  return buffer;
}

std::uint64_t LittleEndian(const std::vector<std::uint8_t>& data, std::size_t count) {
  std::uint64_t v = 0;
  for (std::size_t i = count; i-- > 0;) v = (v << 8) | data[i];
  return v;
}

std::string HexDigitsUpper(const std::vector<std::uint8_t>& data) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(data.size() * 2);
  for (std::uint8_t b : data) {
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 0xF]);
  }
  return out;
}

// Decimal, or hex after 0x; nullopt when not a number or above max.
std::optional<std::uint64_t> ParseUnsigned(const std::string& text, std::uint64_t max) {
  std::size_t pos = 0;
  unsigned base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    pos = 2;
  }
  if (pos >= text.size()) return std::nullopt;
  std::uint64_t value = 0;
  for (; pos < text.size(); ++pos) {
    int d = formats::HexDigitValue(text[pos]);
    if (d < 0 || static_cast<unsigned>(d) >= base) return std::nullopt;
    if (value > (max - static_cast<std::uint64_t>(d)) / base) return std::nullopt;
    value = value * base + static_cast<std::uint64_t>(d);
  }
  return value;
}

std::vector<std::uint8_t> LittleEndianBytes(std::uint64_t v, std::size_t count) {
  std::vector<std::uint8_t> out(count);
  for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<std::uint8_t>(v >> (8 * i));
  return out;
}

std::string FullName(const RegKeyName& key) { return formats::RegKeyFullName(key); }

RegKeyName Child(const RegKeyName& key, const std::string& sub) {
  return {key.root, key.path.empty() ? sub : key.path + "\\" + sub};
}

// All values of one key, then its sub-keys, each block ending in a blank line.
long ListRecursive(const RegKeyName& top, std::string* out) {
  return RegWalkTree(top, [out](const RegKeyName& key) {
    std::vector<RegFileValue> values;
    const long r = RegReadValues(key, &values);
    if (r != platform::kErrorSuccess) return r;
    *out += FullName(key) + "\n";
    for (const RegFileValue& v : values) *out += RegQueryLine(v) + "\n";
    *out += "\n";
    return platform::kErrorSuccess;
  });
}

bool SameIgnoringAsciiCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && formats::ToUpperAscii(a) == formats::ToUpperAscii(b);
}

// Names match ignoring letter case; the listing shows the name as it was written.
std::string StoredValueName(const RegKeyName& key, const std::string& asked) {
  std::vector<RegFileValue> values;
  if (RegReadValues(key, &values) == platform::kErrorSuccess) {
    for (const RegFileValue& v : values) {
      if (SameIgnoringAsciiCase(v.name, asked)) return v.name;
    }
  }
  return asked;
}

// The named value in one key: listed when it is there.
long FindValueIn(const RegKeyName& key, const std::string& name, std::string* out, int* matches) {
  RegFileValue value;
  const long r = RegReadValue(key, name, &value);
  if (r == platform::kErrorFileNotFound) return platform::kErrorSuccess;
  if (r != platform::kErrorSuccess) return r;
  value.name = StoredValueName(key, name);
  *out += FullName(key) + "\n" + RegQueryLine(value) + "\n\n";
  ++*matches;
  return platform::kErrorSuccess;
}

// The named value in the key and, with recursion, in every key below it.
long FindValue(const RegKeyName& top, const std::string& name, bool recursive, std::string* out,
               int* matches) {
  if (!recursive) return FindValueIn(top, name, out, matches);
  return RegWalkTree(top, [&](const RegKeyName& key) { return FindValueIn(key, name, out, matches); });
}

}  // namespace

std::string RegTypeName(std::uint32_t type) {
  for (const auto& t : kTypes) {
    if (t.code == type) return t.name;
  }
  return "REG_UNKNOWN";
}

std::optional<std::uint32_t> ParseRegAddType(const std::string& name) {
  std::string upper = formats::ToUpperAscii(name);
  for (std::uint32_t code : {0u, 1u, 2u, 3u, 4u, 5u, 7u, 11u}) {
    if (upper == RegTypeName(code)) return code;
  }
  if (upper == "REG_DWORD_LITTLE_ENDIAN") return 4u;
  if (upper == "REG_QWORD_LITTLE_ENDIAN") return 11u;
  return std::nullopt;
}

std::string RegQueryData(std::uint32_t type, const std::vector<std::uint8_t>& data) {
  switch (type) {
    case 1:
    case 2: {
      std::string text(data.begin(), data.end());
      return text.substr(0, text.find('\0'));
    }
    case 7: {
      // Items end at each NUL; the empty item of the final double NUL ends the list.
      std::string out;
      std::size_t pos = 0;
      bool first = true;
      while (pos < data.size()) {
        std::size_t end = pos;
        while (end < data.size() && data[end] != 0) ++end;
        if (end == pos) break;
        if (!first) out += "\\0";
        out.append(data.begin() + static_cast<std::ptrdiff_t>(pos), data.begin() + static_cast<std::ptrdiff_t>(end));
        first = false;
        pos = end + 1;
      }
      return out;
    }
    case 4:
      if (data.size() == 4) return Hex(LittleEndian(data, 4));
      break;
    case 5:
      if (data.size() == 4) {
        return Hex((static_cast<std::uint32_t>(data[0]) << 24) | (static_cast<std::uint32_t>(data[1]) << 16) |
                   (static_cast<std::uint32_t>(data[2]) << 8) | data[3]);
      }
      break;
    case 11:
      if (data.size() == 8) return Hex(LittleEndian(data, 8));
      break;
    default:
      break;
  }
  return HexDigitsUpper(data);
}

std::string RegQueryLine(const RegFileValue& value) {
  const std::string name = value.name.empty() ? "(Default)" : value.name;
  return "    " + name + "    " + RegTypeName(value.type) + "    " + RegQueryData(value.type, value.data);
}

std::optional<std::vector<std::uint8_t>> ParseRegAddData(std::uint32_t type, const std::string& text,
                                                          std::string* error) {
  auto fail = [&](const std::string& message) -> std::optional<std::vector<std::uint8_t>> {
    if (error != nullptr) *error = message;
    return std::nullopt;
  };
  switch (type) {
    case 1:
    case 2: {
      std::vector<std::uint8_t> out(text.begin(), text.end());
      out.push_back(0);
      return out;
    }
    case 7: {
      // Items separated by the two characters \0; each item ends in a NUL, the
      // list in one more.
      std::vector<std::uint8_t> out;
      std::size_t pos = 0;
      while (!text.empty()) {
        std::size_t sep = text.find("\\0", pos);
        std::string item = text.substr(pos, sep == std::string::npos ? std::string::npos : sep - pos);
        if (item.empty()) return fail("REG_MULTI_SZ data holds an empty item");
        out.insert(out.end(), item.begin(), item.end());
        out.push_back(0);
        if (sep == std::string::npos) break;
        pos = sep + 2;
      }
      out.push_back(0);
      return out;
    }
    case 4:
    case 5: {
      if (text.empty()) return std::vector<std::uint8_t>(4, 0);
      auto v = ParseUnsigned(text, 0xFFFFFFFFull);
      if (!v) return fail("'" + text + "' is not a REG_DWORD number (decimal or 0x hex, up to 0xffffffff)");
      std::vector<std::uint8_t> bytes = LittleEndianBytes(*v, 4);
      if (type == 5) std::swap(bytes[0], bytes[3]), std::swap(bytes[1], bytes[2]);
      return bytes;
    }
    case 11: {
      if (text.empty()) return std::vector<std::uint8_t>(8, 0);
      auto v = ParseUnsigned(text, ~0ull);
      if (!v) return fail("'" + text + "' is not a REG_QWORD number (decimal or 0x hex)");
      return LittleEndianBytes(*v, 8);
    }
    default: {
      // REG_BINARY and REG_NONE: hex digits, two per byte.
      if (text.size() % 2 != 0) return fail("binary data needs an even number of hex digits");
      std::vector<std::uint8_t> out;
      for (std::size_t i = 0; i < text.size(); i += 2) {
        int hi = formats::HexDigitValue(text[i]);
        int lo = formats::HexDigitValue(text[i + 1]);
        if (hi < 0 || lo < 0) return fail("'" + text + "' is not hex digits");
        out.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
      }
      return out;
    }
  }
}

RegQueryStatus RunRegQuery(const RegQueryRequest& request, std::string* output, long* failure) {
  output->clear();
  long r = RegProbeKey(request.key);
  if (failure != nullptr) *failure = r;
  if (r == platform::kErrorFileNotFound) return RegQueryStatus::KeyMissing;
  if (r != platform::kErrorSuccess) return RegQueryStatus::Failed;
  std::string out = "\n";
  if (request.valueName) {
    int matches = 0;
    r = FindValue(request.key, *request.valueName, request.recursive, &out, &matches);
    if (r == platform::kErrorSuccess && matches == 0) return RegQueryStatus::ValueMissing;
    if (request.recursive) out += "End of search: " + std::to_string(matches) + " match(es) found.\n";
  } else if (request.recursive) {
    r = ListRecursive(request.key, &out);
  } else {
    std::vector<RegFileValue> values;
    r = RegReadValues(request.key, &values);
    std::vector<std::string> subKeys;
    if (r == platform::kErrorSuccess) r = RegListSubKeys(request.key, &subKeys);
    if (r == platform::kErrorSuccess) {
      out += FullName(request.key) + "\n";
      for (const RegFileValue& v : values) out += RegQueryLine(v) + "\n";
      out += "\n";
      for (const std::string& sub : subKeys) out += FullName(Child(request.key, sub)) + "\n";
    }
  }
  if (failure != nullptr) *failure = r;
  if (r != platform::kErrorSuccess) return RegQueryStatus::Failed;
  *output = std::move(out);
  return RegQueryStatus::Ok;
}

}  // namespace korvane
