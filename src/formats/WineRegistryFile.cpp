#include "formats/WineRegistryFile.h"

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

// Thrown inside the parser only; becomes the result's error.
struct ParseError {
  int line;
  std::string message;
};

[[noreturn]] void Fail(int line, std::string message) { throw ParseError{line, std::move(message)}; }

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
std::u16string Unescape(std::string_view s, std::size_t& pos, char close, int line) {
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
        if (digits == 0) Fail(line, "\\x without hex digits");
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
  Fail(line, std::string("no closing '") + close + "'");
}

// Nothing but blanks may follow what was read.
void ExpectEnd(std::string_view rest, int line) {
  if (!Trim(rest).empty()) {
    Fail(line, "unexpected text: '" + std::string(Trim(rest).substr(0, 20)) + "'");
  }
}

// A hexadecimal number of 1 to 8 digits at s[pos]; moves pos past it.
std::uint32_t HexNumber(std::string_view s, std::size_t& pos, int line, const char* what) {
  std::uint32_t value = 0;
  std::size_t n = 0;
  while (pos < s.size() && HexDigitValue(s[pos]) >= 0) {
    if (n == 8) Fail(line, std::string(what) + " has more than 8 hex digits");
    value = (value << 4) | static_cast<std::uint32_t>(HexDigitValue(s[pos++]));
    ++n;
  }
  if (n == 0) Fail(line, std::string(what) + " needs hex digits");
  return value;
}

// "(N):" after str or hex: the value type N in hex.
std::uint32_t TypeInParentheses(std::string_view s, std::size_t& pos, int line) {
  ++pos;  // '('
  const std::uint32_t type = HexNumber(s, pos, line, "a value type");
  if (pos + 1 >= s.size() || s[pos] != ')' || s[pos + 1] != ':') Fail(line, "expected \"):\" after the value type");
  pos += 2;
  return type;
}

std::vector<std::uint8_t> StringData(const std::u16string& text) {
  std::string utf8 = Utf16ToUtf8(text);
  std::vector<std::uint8_t> data(utf8.begin(), utf8.end());
  data.push_back(0);
  return data;
}

std::vector<std::uint8_t> HexBytes(std::string_view list, int line) {
  std::vector<std::uint8_t> bytes;
  std::size_t pos = 0;
  list = Trim(list);
  while (pos < list.size()) {
    std::size_t comma = list.find(',', pos);
    if (comma == std::string_view::npos) comma = list.size();
    const std::string_view item = Trim(list.substr(pos, comma - pos));
    if (item.empty() || item.size() > 2 || HexDigitValue(item[0]) < 0 ||
        (item.size() == 2 && HexDigitValue(item[1]) < 0)) {
      Fail(line, "bad hex byte '" + std::string(item.substr(0, 8)) + "'");
    }
    if (bytes.size() >= kWineRegMaxValueBytes) Fail(line, "the value is too large");
    int v = HexDigitValue(item[0]);
    if (item.size() == 2) v = v * 16 + HexDigitValue(item[1]);
    bytes.push_back(static_cast<std::uint8_t>(v));
    pos = comma + 1;  // a trailing comma ends the list
  }
  return bytes;
}

class Parser {
 public:
  Parser(std::string_view text, WineRegistryParse& result) : text_(text), result_(result) {}

  void Run() {
    std::string_view line;
    if (!NextPhysical(line) || Trim(line) != kHeader) {
      Fail(1, "not a Wine registry file (the first line must be \"WINE REGISTRY Version 2\")");
    }
    while (NextPhysical(line)) {
      const std::string_view t = Trim(line);
      if (t.empty()) continue;
      if (t.front() == ';') {
        Comment(t);
      } else if (t.front() == '#') {
        Option(t);
      } else if (t.front() == '[') {
        Key(t);
      } else if (t.front() == '"' || t.front() == '@') {
        const int first = number_;
        Value(Logical(t), first);
      } else {
        Fail(number_, "expected a key in brackets, a value, an option line or a comment");
      }
    }
  }

 private:
  bool NextPhysical(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    std::size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    ++number_;
    if (end - pos_ > kWineRegMaxLineChars) Fail(number_, "line is too long");
    line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    return true;
  }

  // A value line and its continuation lines (a trailing backslash). Errors
  // name the line the value starts on.
  std::string Logical(std::string_view first) {
    std::string out(first);
    const int start = number_;
    while (!out.empty() && out.back() == '\\') {
      out.pop_back();
      std::string_view next;
      if (!NextPhysical(next)) Fail(start, "the value continues past the end of the file");
      out += Trim(next);
      if (out.size() > kWineRegMaxLineChars) Fail(start, "line is too long");
    }
    return out;
  }

  void Comment(std::string_view t) {
    if (StartsWith(t, kRelativeTo) && result_.keys.empty()) {
      std::string_view rest = t.substr(kRelativeTo.size());
      std::size_t p = 0;
      result_.relativeTo = Utf16ToUtf8(Unescape(rest, p, '\0', number_));
    }
  }

  void Option(std::string_view t) {
    if (StartsWith(t, kArch)) {
      result_.arch = std::string(Trim(t.substr(kArch.size())));
      if (result_.arch != "win32" && result_.arch != "win64") Fail(number_, "unknown #arch");
    } else if (t == kLinkMark) {
      if (!current_) Fail(number_, "#link outside of a key");
      current_->link = true;
    }
    // #time= and #class= (and options of later versions) carry nothing read here.
  }

  void Key(std::string_view t) {
    std::size_t p = 1;
    const std::u16string name = Unescape(t, p, ']', number_);
    // A decimal modification time may follow.
    std::string_view rest = Trim(t.substr(p));
    for (char c : rest) {
      if (c < '0' || c > '9') Fail(number_, "unexpected text after the key name");
    }
    WineRegKey key;
    key.line = number_;
    std::size_t start = 0;
    while (start <= name.size()) {
      std::size_t cut = name.find(u'\\', start);
      if (cut == std::u16string::npos) cut = name.size();
      const std::u16string part = name.substr(start, cut - start);
      if (part.empty()) Fail(number_, "an empty key name in the path");
      if (part.size() > kWineRegMaxKeyName) Fail(number_, "a key name is too long");
      if (key.path.size() >= kWineRegMaxDepth) Fail(number_, "the key path is too deep");
      key.path.push_back(Utf16ToUtf8(part));
      start = cut + 1;
    }
    if (result_.keys.size() >= kWineRegMaxKeys) Fail(number_, "too many keys");
    result_.keys.push_back(std::move(key));
    current_ = &result_.keys.back();
  }

  void Value(const std::string& text, int line) {
    const std::string_view s(text);
    if (!current_) Fail(line, "a value outside of a key");
    WineRegValue value;
    std::size_t p = 0;
    if (s.front() == '@') {
      p = 1;
    } else {
      p = 1;
      const std::u16string name = Unescape(s, p, '"', line);
      if (name.size() > kWineRegMaxValueName) Fail(line, "the value name is too long");
      value.name = Utf16ToUtf8(name);
    }
    while (p < s.size() && IsBlank(s[p])) ++p;
    if (p >= s.size() || s[p] != '=') Fail(line, "expected '=' after the value name");
    ++p;
    while (p < s.size() && IsBlank(s[p])) ++p;
    const std::string_view data = s.substr(p);
    if (StartsWith(data, "\"")) {
      value.type = kSz;
      QuotedData(data, 0, value, line);
    } else if (StartsWith(data, "str(")) {
      std::size_t q = 3;
      value.type = TypeInParentheses(data, q, line);
      if (!IsStringType(value.type)) Fail(line, "str() with a type that is not a string type");
      if (q >= data.size() || data[q] != '"') Fail(line, "expected '\"' after str(N):");
      QuotedData(data, q, value, line);
    } else if (StartsWith(data, "dword:")) {
      std::size_t q = 6;
      const std::uint32_t v = HexNumber(data, q, line, "a dword");
      ExpectEnd(data.substr(q), line);
      value.type = kDword;
      value.data = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                    static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
    } else if (StartsWith(data, "hex:") || StartsWith(data, "hex(")) {
      std::size_t q = 3;
      value.type = kBinary;
      if (data[q] == '(') {
        value.type = TypeInParentheses(data, q, line);
      } else {
        ++q;
      }
      std::vector<std::uint8_t> bytes = HexBytes(data.substr(q), line);
      if (IsStringType(value.type)) {
        // The string types in hex are UTF-16LE; they cross as UTF-8.
        const std::string utf8 = Utf16LeToUtf8(bytes);
        bytes.assign(utf8.begin(), utf8.end());
      }
      value.data = std::move(bytes);
    } else {
      Fail(line, "unknown kind of value data (expected \"...\", str(N):, dword:, hex: or hex(N):)");
    }
    if (value.data.size() > kWineRegMaxValueBytes) Fail(line, "the value is too large");
    if (++valueCount_ > kWineRegMaxValues) Fail(line, "too many values");
    current_->values.push_back(std::move(value));
  }

  static void QuotedData(std::string_view data, std::size_t quote, WineRegValue& value, int line) {
    std::size_t q = quote + 1;
    const std::u16string text = Unescape(data, q, '"', line);
    ExpectEnd(data.substr(q), line);
    if (text.size() * 3 > kWineRegMaxValueBytes) Fail(line, "the value is too large");
    value.data = StringData(text);
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  int number_ = 0;
  std::size_t valueCount_ = 0;
  WineRegistryParse& result_;
  // The key values are added to: always the last of result_.keys, set again
  // after each key is added.
  WineRegKey* current_ = nullptr;
};

}  // namespace

WineRegistryParse ParseWineRegistryFile(std::span<const std::uint8_t> bytes) {
  WineRegistryParse result;
  if (bytes.size() > kWineRegMaxFileBytes) {
    result.errorLine = 1;
    result.error = "line 1: the file is too large";
    return result;
  }
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  try {
    Parser(text, result).Run();
  } catch (const ParseError& e) {
    result.keys.clear();
    result.relativeTo.clear();
    result.arch.clear();
    result.errorLine = e.line;
    result.error = "line " + std::to_string(e.line) + ": " + e.message;
  }
  return result;
}

}  // namespace korvane::formats
