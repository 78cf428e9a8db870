#include "formats/WineRegistryFile.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "formats/TextCodec.h"

namespace korvane::formats {

namespace {

constexpr std::string_view kHeader = "WINE REGISTRY Version 2";
constexpr std::string_view kRelativeTo = ";; All keys relative to ";
constexpr std::string_view kArch = "#arch=";
constexpr std::string_view kLinkMark = "#link";

constexpr std::uint32_t kSz = 1;
constexpr std::uint32_t kExpandSz = 2;
constexpr std::uint32_t kBinary = 3;
constexpr std::uint32_t kDword = 4;
constexpr std::uint32_t kMultiSz = 7;

bool IsStringType(std::uint32_t type) { return type == kSz || type == kExpandSz || type == kMultiSz; }

// A fault of the file at a 1-based line.
Error Fail(int line, const std::string& message) {
  return Error{ErrorKind::kBadWineRegistry, "line " + std::to_string(line) + ": " + message, line};
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (IsBlank(s.front()))) s.remove_prefix(1);
  while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix;
}

int OctalValue(char c) { return c >= '0' && c <= '7' ? c - '0' : -1; }

// Reads escaped text at s[pos] up to the unescaped character `close` (or to
// the end when close is NUL) and moves pos past it. The result is UTF-16, the
// units wineserver keeps names in.
Expected<std::u16string> Unescape(std::string_view s, std::size_t& pos, char close, int line) {
  std::u16string out;
  while (pos < s.size()) {
    const char c = s[pos];
    if (c == close) {
      ++pos;
      return out;
    }
    if (static_cast<unsigned char>(c) >= 0x80) {
      // wineserver writes ASCII only; other writers' UTF-8 is taken as text.
      const char32_t cp = DecodeUtf8(s, pos);
      if (cp >= 0x10000) {
        out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
      } else {
        out.push_back(static_cast<char16_t>(cp));
      }
      continue;
    }
    ++pos;
    if (c != '\\') {
      out.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
      continue;
    }
    if (pos >= s.size()) break;
    const char e = s[pos++];
    switch (e) {
      case 'a': out.push_back(u'\a'); break;
      case 'b': out.push_back(u'\b'); break;
      case 't': out.push_back(u'\t'); break;
      case 'n': out.push_back(u'\n'); break;
      case 'v': out.push_back(u'\v'); break;
      case 'f': out.push_back(u'\f'); break;
      case 'r': out.push_back(u'\r'); break;
      case 'e': out.push_back(u'\x1b'); break;
      case 'x': {
        // One UTF-16 unit in one to four hex digits.
        std::uint32_t unit = 0;
        int digits = 0;
        while (digits < 4 && pos < s.size() && HexDigitValue(s[pos]) >= 0) {
          unit = unit * 16 + static_cast<std::uint32_t>(HexDigitValue(s[pos++]));
          ++digits;
        }
        if (digits == 0) return Fail(line, "\\x without hex digits");
        out.push_back(static_cast<char16_t>(unit));
        break;
      }
      default:
        if (OctalValue(e) >= 0) {
          // One to three octal digits.
          std::uint32_t unit = static_cast<std::uint32_t>(OctalValue(e));
          for (int k = 1; k < 3 && pos < s.size() && OctalValue(s[pos]) >= 0; ++k) {
            unit = unit * 8 + static_cast<std::uint32_t>(OctalValue(s[pos++]));
          }
          out.push_back(static_cast<char16_t>(unit));
        } else {
          // \\ \" \[ \] and any other character stand for themselves.
          out.push_back(static_cast<char16_t>(static_cast<unsigned char>(e)));
        }
    }
  }
  if (close == '\0') return out;
  return Fail(line, std::string("no closing '") + close + "'");
}

// Nothing but blanks may follow what was read.
Expected<void> ExpectEnd(std::string_view rest, int line) {
  if (!Trim(rest).empty()) {
    return Fail(line, "unexpected text: '" + std::string(Trim(rest).substr(0, 20)) + "'");
  }
  return {};
}

// A hexadecimal number of 1 to 8 digits at s[pos]; moves pos past it.
Expected<std::uint32_t> HexNumber(std::string_view s, std::size_t& pos, int line, const char* what) {
  std::uint32_t value = 0;
  std::size_t n = 0;
  while (pos < s.size() && HexDigitValue(s[pos]) >= 0) {
    if (n == 8) return Fail(line, std::string(what) + " has more than 8 hex digits");
    value = (value << 4) | static_cast<std::uint32_t>(HexDigitValue(s[pos++]));
    ++n;
  }
  if (n == 0) return Fail(line, std::string(what) + " needs hex digits");
  return value;
}

// "(N):" after str or hex: the value type N in hex.
Expected<std::uint32_t> TypeInParentheses(std::string_view s, std::size_t& pos, int line) {
  ++pos;  // '('
  auto type = HexNumber(s, pos, line, "a value type");
  if (!type) return type;
  if (pos + 1 >= s.size() || s[pos] != ')' || s[pos + 1] != ':') {
    return Fail(line, "expected \"):\" after the value type");
  }
  pos += 2;
  return type;
}

std::vector<std::uint8_t> StringData(const std::u16string& text) {
  std::string utf8 = Utf16ToUtf8(text);
  std::vector<std::uint8_t> data(utf8.begin(), utf8.end());
  data.push_back(0);
  return data;
}

Expected<std::vector<std::uint8_t>> HexBytes(std::string_view list, int line) {
  std::vector<std::uint8_t> bytes;
  std::size_t pos = 0;
  list = Trim(list);
  while (pos < list.size()) {
    std::size_t comma = list.find(',', pos);
    if (comma == std::string_view::npos) comma = list.size();
    const std::string_view item = Trim(list.substr(pos, comma - pos));
    if (item.empty() || item.size() > 2 || HexDigitValue(item[0]) < 0 ||
        (item.size() == 2 && HexDigitValue(item[1]) < 0)) {
      return Fail(line, "bad hex byte '" + std::string(item.substr(0, 8)) + "'");
    }
    if (bytes.size() >= kWineRegMaxValueBytes) return Fail(line, "the value is too large");
    int v = HexDigitValue(item[0]);
    if (item.size() == 2) v = v * 16 + HexDigitValue(item[1]);
    bytes.push_back(static_cast<std::uint8_t>(v));
    pos = comma + 1;  // a trailing comma ends the list
  }
  return bytes;
}

// A quoted string from data[quote] ('"') to its end: the value's data.
Expected<std::vector<std::uint8_t>> QuotedData(std::string_view data, std::size_t quote, int line) {
  std::size_t q = quote + 1;
  auto text = Unescape(data, q, '"', line);
  if (!text) return text.error();
  if (auto end = ExpectEnd(data.substr(q), line); !end) return end.error();
  if (text->size() * 3 > kWineRegMaxValueBytes) return Fail(line, "the value is too large");
  return StringData(*text);
}

// The data after '=': its type and bytes.
Expected<void> ValueData(std::string_view data, WineRegValue& value, int line) {
  if (StartsWith(data, "\"")) {
    value.type = kSz;
    auto bytes = QuotedData(data, 0, line);
    if (!bytes) return bytes.error();
    value.data = std::move(*bytes);
  } else if (StartsWith(data, "str(")) {
    std::size_t q = 3;
    auto type = TypeInParentheses(data, q, line);
    if (!type) return type.error();
    value.type = *type;
    if (!IsStringType(value.type)) return Fail(line, "str() with a type that is not a string type");
    if (q >= data.size() || data[q] != '"') return Fail(line, "expected '\"' after str(N):");
    auto bytes = QuotedData(data, q, line);
    if (!bytes) return bytes.error();
    value.data = std::move(*bytes);
  } else if (StartsWith(data, "dword:")) {
    std::size_t q = 6;
    auto v = HexNumber(data, q, line, "a dword");
    if (!v) return v.error();
    if (auto end = ExpectEnd(data.substr(q), line); !end) return end;
    value.type = kDword;
    value.data = {static_cast<std::uint8_t>(*v), static_cast<std::uint8_t>(*v >> 8),
                  static_cast<std::uint8_t>(*v >> 16), static_cast<std::uint8_t>(*v >> 24)};
  } else if (StartsWith(data, "hex:") || StartsWith(data, "hex(")) {
    std::size_t q = 3;
    value.type = kBinary;
    if (data[q] == '(') {
      auto type = TypeInParentheses(data, q, line);
      if (!type) return type.error();
      value.type = *type;
    } else {
      ++q;
    }
    auto bytes = HexBytes(data.substr(q), line);
    if (!bytes) return bytes.error();
    if (IsStringType(value.type)) {
      // The string types in hex are UTF-16LE; they cross as UTF-8.
      const std::string utf8 = Utf16LeToUtf8(*bytes);
      bytes->assign(utf8.begin(), utf8.end());
    }
    value.data = std::move(*bytes);
  } else {
    return Fail(line, "unknown kind of value data (expected \"...\", str(N):, dword:, hex: or hex(N):)");
  }
  if (value.data.size() > kWineRegMaxValueBytes) return Fail(line, "the value is too large");
  return {};
}

class Parser {
 public:
  Parser(std::string_view text, WineRegistrySink& sink) : text_(text), sink_(sink) {}

  Expected<void> Run() {
    std::string_view line;
    if (!NextPhysical(line) || Trim(line) != kHeader) {
      return fault_ ? *fault_
                    : Fail(1, "not a Wine registry file (the first line must be \"WINE REGISTRY Version 2\")");
    }
    while (NextPhysical(line)) {
      const std::string_view t = Trim(line);
      if (t.empty()) continue;
      Expected<void> done;
      if (t.front() == ';') {
        done = Comment(t);
      } else if (t.front() == '#') {
        done = Option(t);
      } else if (t.front() == '[') {
        done = Key(t);
      } else if (t.front() == '"' || t.front() == '@') {
        const int first = number_;
        auto logical = Logical(t);
        if (!logical) return logical.error();
        done = Value(*logical, first);
      } else {
        done = Fail(number_, "expected a key in brackets, a value, an option line or a comment");
      }
      if (!done) return done;
    }
    if (fault_) return *fault_;
    return {};
  }

 private:
  // False at the end of the text, or at a line too long (then fault_ holds it).
  bool NextPhysical(std::string_view& line) {
    if (fault_ || pos_ >= text_.size()) return false;
    std::size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    ++number_;
    if (end - pos_ > kWineRegMaxLineChars) {
      fault_ = Fail(number_, "line is too long");
      return false;
    }
    line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    return true;
  }

  // A value line and its continuation lines (a trailing backslash). Errors
  // name the line the value starts on.
  Expected<std::string> Logical(std::string_view first) {
    std::string out(first);
    const int start = number_;
    while (!out.empty() && out.back() == '\\') {
      out.pop_back();
      std::string_view next;
      if (!NextPhysical(next)) {
        return fault_ ? *fault_ : Fail(start, "the value continues past the end of the file");
      }
      out += Trim(next);
      if (out.size() > kWineRegMaxLineChars) return Fail(start, "line is too long");
    }
    return out;
  }

  Expected<void> Comment(std::string_view t) {
    if (StartsWith(t, kRelativeTo) && keyCount_ == 0) {
      std::string_view rest = t.substr(kRelativeTo.size());
      std::size_t p = 0;
      auto root = Unescape(rest, p, '\0', number_);
      if (!root) return root.error();
      sink_.Root(Utf16ToUtf8(*root));
    }
    return {};
  }

  Expected<void> Option(std::string_view t) {
    if (StartsWith(t, kArch)) {
      std::string arch(Trim(t.substr(kArch.size())));
      if (arch != "win32" && arch != "win64") return Fail(number_, "unknown #arch");
      sink_.Arch(std::move(arch));
    } else if (t == kLinkMark) {
      if (keyCount_ == 0) return Fail(number_, "#link outside of a key");
      sink_.Link();
    }
    // #time= and #class= (and options of later versions) carry nothing read here.
    return {};
  }

  Expected<void> Key(std::string_view t) {
    std::size_t p = 1;
    auto unescaped = Unescape(t, p, ']', number_);
    if (!unescaped) return unescaped.error();
    const std::u16string& name = *unescaped;
    // A decimal modification time may follow.
    std::string_view rest = Trim(t.substr(p));
    for (char c : rest) {
      if (c < '0' || c > '9') return Fail(number_, "unexpected text after the key name");
    }
    std::size_t start = 0;
    std::size_t depth = 0;
    while (start <= name.size()) {
      std::size_t cut = name.find(u'\\', start);
      if (cut == std::u16string::npos) cut = name.size();
      if (cut == start) return Fail(number_, "an empty key name in the path");
      if (cut - start > kWineRegMaxKeyName) return Fail(number_, "a key name is too long");
      if (++depth > kWineRegMaxDepth) return Fail(number_, "the key path is too deep");
      start = cut + 1;
    }
    if (keyCount_ >= kWineRegMaxKeys) return Fail(number_, "too many keys");
    ++keyCount_;
    // A backslash is never part of a surrogate pair: the whole path converts
    // as its names do one by one.
    sink_.Key(Utf16ToUtf8(name), number_);
    return {};
  }

  Expected<void> Value(const std::string& text, int line) {
    const std::string_view s(text);
    // Values belong to the key read last.
    if (keyCount_ == 0) return Fail(line, "a value outside of a key");
    WineRegValue value;
    std::size_t p = 1;
    if (s.front() != '@') {
      auto name = Unescape(s, p, '"', line);
      if (!name) return name.error();
      if (name->size() > kWineRegMaxValueName) return Fail(line, "the value name is too long");
      value.name = Utf16ToUtf8(*name);
    }
    while (p < s.size() && IsBlank(s[p])) ++p;
    if (p >= s.size() || s[p] != '=') return Fail(line, "expected '=' after the value name");
    ++p;
    while (p < s.size() && IsBlank(s[p])) ++p;
    if (auto data = ValueData(s.substr(p), value, line); !data) return data;
    if (++valueCount_ > kWineRegMaxValues) return Fail(line, "too many values");
    sink_.Value(std::move(value));
    return {};
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  int number_ = 0;
  std::size_t keyCount_ = 0;
  std::size_t valueCount_ = 0;
  std::optional<Error> fault_;
  WineRegistrySink& sink_;
};

// Keeps the reading as one object: a key's names apart, values in its key.
class WholeFile final : public WineRegistrySink {
 public:
  explicit WholeFile(WineRegistryFile& file) : file_(file) {}
  void Root(std::string relativeTo) override { file_.relativeTo = std::move(relativeTo); }
  void Arch(std::string arch) override { file_.arch = std::move(arch); }
  void Key(std::string path, int line) override {
    WineRegKey key;
    key.line = line;
    std::size_t start = 0;
    for (std::size_t cut = path.find('\\'); cut != std::string::npos; cut = path.find('\\', start)) {
      key.path.push_back(path.substr(start, cut - start));
      start = cut + 1;
    }
    key.path.push_back(path.substr(start));
    file_.keys.push_back(std::move(key));
  }
  void Link() override { file_.keys.back().link = true; }
  void Value(WineRegValue value) override { file_.keys.back().values.push_back(std::move(value)); }

 private:
  WineRegistryFile& file_;
};

}  // namespace

Expected<void> ReadWineRegistryFile(std::span<const std::uint8_t> bytes, WineRegistrySink& sink) {
  if (bytes.size() > kWineRegMaxFileBytes) {
    return Error{ErrorKind::kTooLarge, "line 1: the file is too large", 1};
  }
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return Parser(text, sink).Run();
}

std::string WineRegistryRoot(std::span<const std::uint8_t> bytes) {
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()),
                              std::min(bytes.size(), kWineRegMaxLineChars));
  int number = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view t = Trim(text.substr(pos, end - pos));
    pos = end + 1;
    ++number;
    if (StartsWith(t, "[")) break;
    if (!StartsWith(t, kRelativeTo)) continue;
    std::size_t p = 0;
    auto root = Unescape(t.substr(kRelativeTo.size()), p, '\0', number);
    return root ? Utf16ToUtf8(*root) : std::string();
  }
  return {};
}

Expected<WineRegistryFile> ParseWineRegistryFile(std::span<const std::uint8_t> bytes) {
  WineRegistryFile result;
  WholeFile whole(result);
  if (auto read = ReadWineRegistryFile(bytes, whole); !read) return read.error();
  return result;
}

}  // namespace korvane::formats
