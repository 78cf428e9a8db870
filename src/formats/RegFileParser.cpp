#include "formats/RegFileParser.h"

#include <optional>
#include <string_view>

#include "formats/TextCodec.h"

namespace korvane::formats {

namespace {

constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHeader4 = "REGEDIT4";

// A fault of the script at a 1-based line.
Error Fail(int line, const std::string& message) {
  return Error{ErrorKind::kBadRegFile, "line " + std::to_string(line) + ": " + message, line};
}

bool StartsWith(std::span<const std::uint8_t> bytes, std::string_view prefix) {
  if (bytes.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (bytes[i] != static_cast<std::uint8_t>(prefix[i])) return false;
  }
  return true;
}

bool IsValidUtf8(std::span<const std::uint8_t> bytes) {
  std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t before = pos;
    char32_t cp = DecodeUtf8(text, pos);
    // A real U+FFFD is three bytes; a shorter step means a bad sequence.
    if (cp == 0xFFFD && pos - before != 3) return false;
    if (pos == before) return false;
  }
  return true;
}

// The file's text as UTF-8, whatever its encoding.
std::string Decode(std::span<const std::uint8_t> bytes) {
  std::string out;
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    out = Utf16LeToUtf8(bytes.subspan(2));
  } else if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
    out = std::string(reinterpret_cast<const char*>(bytes.data() + 3), bytes.size() - 3);
  } else if (bytes.size() >= 2 && bytes[0] != 0 && bytes[1] == 0) {
    // UTF-16LE that lost its byte-order mark.
    out = Utf16LeToUtf8(bytes);
  } else if (StartsWith(bytes, kHeader4) || !IsValidUtf8(bytes)) {
    out = Windows1252ToUtf8(bytes);
  } else {
    out = std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }
  return out;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

bool StartsWithIgnoringCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && EqualsIgnoringAsciiCase(s.substr(0, prefix.size()), prefix);
}

// Splits the text into physical lines (CRLF, LF or CR), refusing absurd lengths.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}

  // False at the end of the text, or at a line too long (then Fault() holds it).
  bool Next(std::string_view& line, int& number) {
    if (fault_ || pos_ >= text_.size()) return false;
    std::size_t end = text_.find_first_of("\r\n", pos_);
    if (end == std::string_view::npos) end = text_.size();
    number = ++line_;
    if (end - pos_ > kRegFileMaxLineChars) {
      fault_ = Fail(number, "line is too long");
      return false;
    }
    line = text_.substr(pos_, end - pos_);
    pos_ = end;
    if (pos_ < text_.size() && text_[pos_] == '\r') ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
    return true;
  }

  const std::optional<Error>& Fault() const { return fault_; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  int line_ = 0;
  std::optional<Error> fault_;
};

class Parser {
 public:
  Parser(std::string_view text, std::vector<RegOperation>& operations) : lines_(text), operations_(operations) {}

  Expected<void> Run() {
    std::string_view first;
    int number = 0;
    if (!lines_.Next(first, number)) return lines_.Fault() ? *lines_.Fault() : Fail(1, "the file is empty");
    first = TrimRight(first);
    if (first == kHeader5) {
      unicodeHex_ = true;
    } else if (first == kHeader4) {
      unicodeHex_ = false;
    } else {
      return Fail(1, "not a registry file (the first line must be \"Windows Registry Editor Version 5.00\" or \"REGEDIT4\")");
    }
    std::string_view physical;
    while (lines_.Next(physical, number)) {
      std::string_view trimmed = TrimLeft(TrimRight(physical));
      if (trimmed.empty() || trimmed.front() == ';') continue;
      if (trimmed.front() == '[') {
        if (auto key = KeyLine(trimmed, number); !key) return key;
        continue;
      }
      auto logical = Logical(trimmed, number);
      if (!logical) return logical.error();
      if (auto value = ValueLine(*logical, number); !value) return value;
    }
    if (lines_.Fault()) return *lines_.Fault();
    return {};
  }

 private:
  // Joins the continuation lines of a value (a trailing backslash).
  Expected<std::string> Logical(std::string_view first, int number) {
    std::string line(first);
    while (!line.empty() && line.back() == '\\') {
      line.pop_back();
      std::string_view next;
      int nextNumber = 0;
      if (!lines_.Next(next, nextNumber)) {
        return lines_.Fault() ? *lines_.Fault() : Fail(number, "the value continues past the end of the file");
      }
      line += TrimLeft(TrimRight(next));
      if (line.size() > kRegFileMaxLineChars) return Fail(number, "line is too long");
    }
    return line;
  }

  Expected<void> KeyLine(std::string_view line, int number) {
    if (line.back() != ']') return Fail(number, "a key line must end with ']'");
    std::string_view inner = line.substr(1, line.size() - 2);
    bool remove = !inner.empty() && inner.front() == '-';
    if (remove) inner.remove_prefix(1);
    Expected<RegKeyName> key = ParseRegKeyName(inner);
    if (!key) return Fail(number, key.error().message);
    RegOperation op;
    op.kind = remove ? RegOpKind::DeleteKey : RegOpKind::CreateKey;
    op.key = *key;
    op.line = number;
    if (remove && key->path.empty()) return Fail(number, "a root key cannot be deleted");
    operations_.push_back(op);
    current_ = remove ? std::nullopt : std::optional<RegKeyName>(*key);
    return {};
  }

  // A quoted string at s[pos] ('"'); returns its text and moves pos past it.
  static Expected<std::string> Quoted(std::string_view s, std::size_t& pos, int number) {
    std::string out;
    ++pos;  // opening quote
    while (pos < s.size()) {
      char c = s[pos++];
      if (c == '"') return out;
      if (c == '\\') {
        if (pos >= s.size()) break;
        char e = s[pos++];
        if (e != '\\' && e != '"') {
          return Fail(number, std::string("unknown escape '\\") + e + "' in a quoted string");
        }
        out.push_back(e);
      } else {
        out.push_back(c);
      }
    }
    return Fail(number, "a quoted string has no closing '\"'");
  }

  // Nothing but blanks or a comment may follow a value's data.
  static Expected<void> ExpectEnd(std::string_view rest, int number) {
    rest = TrimLeft(rest);
    if (!rest.empty() && rest.front() != ';') {
      return Fail(number, "unexpected text after the value: '" + std::string(rest.substr(0, 20)) + "'");
    }
    return {};
  }

  Expected<void> ValueLine(const std::string& text, int number) {
    std::string_view line(text);
    std::size_t pos = 0;
    RegOperation op;
    op.line = number;
    if (line.front() == '@') {
      pos = 1;
    } else if (line.front() == '"') {
      auto name = Quoted(line, pos, number);
      if (!name) return name.error();
      op.valueName = std::move(*name);
      if (RegNameLength(op.valueName) > kRegMaxValueNameChars) return Fail(number, "the value name is too long");
    } else {
      return Fail(number, "expected a key in brackets, a value or a comment");
    }
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (pos >= line.size() || line[pos] != '=') return Fail(number, "expected '=' after the value name");
    ++pos;
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (!current_) return Fail(number, "a value outside of a key");
    op.key = *current_;

    std::string_view data = line.substr(pos);
    if (!data.empty() && data.front() == '-') {
      if (auto end = ExpectEnd(data.substr(1), number); !end) return end;
      op.kind = RegOpKind::DeleteValue;
    } else if (!data.empty() && data.front() == '"') {
      std::size_t p = 0;
      auto s = Quoted(data, p, number);
      if (!s) return s.error();
      if (auto end = ExpectEnd(data.substr(p), number); !end) return end;
      if (s->size() + 1 > kRegFileMaxValueBytes) return Fail(number, "the value is too large");
      op.kind = RegOpKind::SetValue;
      op.type = kRegFileSz;
      op.data.assign(s->begin(), s->end());
      op.data.push_back(0);
    } else if (StartsWithIgnoringCase(data, "dword:")) {
      op.kind = RegOpKind::SetValue;
      op.type = kRegFileDword;
      auto dword = Dword(data.substr(6), number);
      if (!dword) return dword.error();
      op.data = std::move(*dword);
    } else if (StartsWithIgnoringCase(data, "hex")) {
      op.kind = RegOpKind::SetValue;
      if (auto hex = HexValue(data.substr(3), op, number); !hex) return hex;
    } else {
      return Fail(number, "unknown kind of value data (expected \"...\", dword:, hex: or -)");
    }
    operations_.push_back(std::move(op));
    return {};
  }

  static Expected<std::vector<std::uint8_t>> Dword(std::string_view digits, int number) {
    std::uint32_t value = 0;
    std::size_t n = 0;
    while (n < digits.size() && HexDigitValue(digits[n]) >= 0) {
      if (n == 8) return Fail(number, "a dword has more than 8 hex digits");
      value = (value << 4) | static_cast<std::uint32_t>(HexDigitValue(digits[n]));
      ++n;
    }
    if (n == 0) return Fail(number, "a dword needs 1 to 8 hex digits");
    if (auto end = ExpectEnd(digits.substr(n), number); !end) return end.error();
    return std::vector<std::uint8_t>{static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                                     static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
  }

  // After "hex": either ':' (REG_BINARY) or "(N):" with N the type in hex.
  Expected<void> HexValue(std::string_view rest, RegOperation& op, int number) const {
    op.type = kRegFileBinary;
    if (!rest.empty() && rest.front() == '(') {
      std::size_t close = rest.find(')');
      if (close == std::string_view::npos || close == 1 || close > 9) return Fail(number, "bad value type in hex(...)");
      std::uint32_t type = 0;
      for (std::size_t i = 1; i < close; ++i) {
        int d = HexDigitValue(rest[i]);
        if (d < 0) return Fail(number, "bad value type in hex(...)");
        type = (type << 4) | static_cast<std::uint32_t>(d);
      }
      op.type = type;
      rest.remove_prefix(close + 1);
    }
    if (rest.empty() || rest.front() != ':') return Fail(number, "expected ':' after hex");
    rest.remove_prefix(1);
    std::size_t comment = rest.find(';');
    if (comment != std::string_view::npos) rest = rest.substr(0, comment);

    std::vector<std::uint8_t> bytes;
    rest = TrimLeft(TrimRight(rest));
    std::size_t pos = 0;
    while (pos < rest.size()) {
      std::size_t comma = rest.find(',', pos);
      std::string_view item = TrimLeft(TrimRight(rest.substr(pos, comma == rest.npos ? rest.npos : comma - pos)));
      // A trailing comma is tolerated: the loop ends before an empty last item.
      if (item.empty()) return Fail(number, "an empty byte in a hex list");
      {
        if (item.size() > 2 || HexDigitValue(item[0]) < 0 || (item.size() == 2 && HexDigitValue(item[1]) < 0)) {
          return Fail(number, "bad hex byte '" + std::string(item.substr(0, 8)) + "'");
        }
        int v = HexDigitValue(item[0]);
        if (item.size() == 2) v = v * 16 + HexDigitValue(item[1]);
        if (bytes.size() >= kRegFileMaxHexBytes) return Fail(number, "the value is too large");
        bytes.push_back(static_cast<std::uint8_t>(v));
      }
      if (comma == std::string_view::npos) break;
      pos = comma + 1;
    }
    op.data = StringTypeData(op.type, std::move(bytes));
    if (op.data.size() > kRegFileMaxValueBytes) return Fail(number, "the value is too large");
    return {};
  }

  // The string types are stored as UTF-8; the file holds them as UTF-16LE
  // (version 5) or in the ANSI code page (REGEDIT4).
  std::vector<std::uint8_t> StringTypeData(std::uint32_t type, std::vector<std::uint8_t> bytes) const {
    if (type != kRegFileSz && type != kRegFileExpandSz && type != kRegFileMultiSz) return bytes;
    std::string text = unicodeHex_ ? Utf16LeToUtf8(bytes) : Windows1252ToUtf8(bytes);
    return std::vector<std::uint8_t>(text.begin(), text.end());
  }

  LineReader lines_;
  std::vector<RegOperation>& operations_;
  bool unicodeHex_ = true;
  std::optional<RegKeyName> current_;
};

}  // namespace

Expected<std::vector<RegOperation>> ParseRegFile(std::span<const std::uint8_t> bytes) {
  std::vector<RegOperation> operations;
  const std::string text = Decode(bytes);
  if (auto parsed = Parser(text, operations).Run(); !parsed) return parsed.error();
  return operations;
}

}  // namespace korvane::formats
