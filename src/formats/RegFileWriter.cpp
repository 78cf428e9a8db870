#include "formats/RegFileWriter.h"

#include <optional>

#include "formats/TextCodec.h"

namespace korvane::formats {

namespace {

constexpr const char* kCrLf = "\r\n";
// A hex line is broken once it reaches this column, which keeps every line,
// the continuation backslash included, within 80 characters.
constexpr std::size_t kWrapColumn = 76;

std::size_t CodePoints(std::string_view text) {
  std::size_t n = 0;
  for (char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  }
  return n;
}

std::string Escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out.push_back('"');
  for (char c : text) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

bool IsValidUtf8(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t before = pos;
    char32_t cp = DecodeUtf8(text, pos);
    if (pos == before || (cp == 0xFFFD && pos - before != 3)) return false;
  }
  return true;
}

// A REG_SZ that the quoted form gives back exactly: one terminating NUL, no
// other NUL, no line break, valid text.
bool FitsQuotedForm(const std::vector<std::uint8_t>& data) {
  if (data.empty() || data.back() != 0) return false;
  std::string_view text(reinterpret_cast<const char*>(data.data()), data.size() - 1);
  if (text.find_first_of(std::string_view("\0\r\n", 3)) != std::string_view::npos) return false;
  return IsValidUtf8(text);
}

bool IsStringType(std::uint32_t type) {
  return type == kRegFileSz || type == kRegFileExpandSz || type == kRegFileMultiSz;
}

void AppendHexList(std::string& out, std::size_t column, const std::vector<std::uint8_t>& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    out.push_back(kDigits[bytes[i] >> 4]);
    out.push_back(kDigits[bytes[i] & 0xF]);
    column += 2;
    if (i + 1 == bytes.size()) break;
    out.push_back(',');
    ++column;
    if (column >= kWrapColumn) {
      out += "\\\r\n  ";
      column = 2;
    }
  }
}

std::string HexTypePrefix(std::uint32_t type) {
  if (type == kRegFileBinary) return "hex:";
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string digits;
  do {
    digits.insert(digits.begin(), kDigits[type & 0xF]);
    type >>= 4;
  } while (type != 0);
  return "hex(" + digits + "):";
}

void AppendValue(std::string& out, const RegOperation& op) {
  std::string line = op.valueName.empty() ? std::string("@") : Escaped(op.valueName);
  line.push_back('=');
  if (op.kind == RegOpKind::DeleteValue) {
    out += line + "-" + kCrLf;
    return;
  }
  if (op.type == kRegFileSz && FitsQuotedForm(op.data)) {
    std::string_view text(reinterpret_cast<const char*>(op.data.data()), op.data.size() - 1);
    out += line + Escaped(text) + kCrLf;
    return;
  }
  if (op.type == kRegFileDword && op.data.size() == 4) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::uint32_t v = static_cast<std::uint32_t>(op.data[0]) | (static_cast<std::uint32_t>(op.data[1]) << 8) |
                      (static_cast<std::uint32_t>(op.data[2]) << 16) |
                      (static_cast<std::uint32_t>(op.data[3]) << 24);
    line += "dword:";
    for (int shift = 28; shift >= 0; shift -= 4) line.push_back(kDigits[(v >> shift) & 0xF]);
    out += line + kCrLf;
    return;
  }
  line += HexTypePrefix(op.type);
  std::vector<std::uint8_t> bytes = op.data;
  if (IsStringType(op.type)) {
    // Stored as UTF-8; the file holds UTF-16LE.
    std::u16string units =
        Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(op.data.data()), op.data.size()));
    bytes.clear();
    for (char16_t u : units) {
      bytes.push_back(static_cast<std::uint8_t>(u & 0xFF));
      bytes.push_back(static_cast<std::uint8_t>(u >> 8));
    }
  }
  std::size_t column = CodePoints(line);
  out += line;
  AppendHexList(out, column, bytes);
  out += kCrLf;
}

}  // namespace

std::string RegFileText(const std::vector<RegOperation>& operations) {
  std::string out = "Windows Registry Editor Version 5.00";
  out += kCrLf;
  std::optional<RegKeyName> block;
  auto openBlock = [&](const RegKeyName& key, bool remove) {
    out += kCrLf;
    out += remove ? "[-" : "[";
    out += RegKeyFullName(key) + "]" + kCrLf;
  };
  for (const RegOperation& op : operations) {
    switch (op.kind) {
      case RegOpKind::CreateKey:
      case RegOpKind::DeleteKey:
        openBlock(op.key, op.kind == RegOpKind::DeleteKey);
        block = op.kind == RegOpKind::CreateKey ? std::optional<RegKeyName>(op.key) : std::nullopt;
        break;
      case RegOpKind::SetValue:
      case RegOpKind::DeleteValue:
        if (!block || !(*block == op.key)) {
          openBlock(op.key, false);
          block = op.key;
        }
        AppendValue(out, op);
        break;
    }
  }
  out += kCrLf;
  return out;
}

std::vector<std::uint8_t> WriteRegFile(const std::vector<RegOperation>& operations) {
  std::u16string units = Utf8ToUtf16(RegFileText(operations));
  std::vector<std::uint8_t> bytes{0xFF, 0xFE};
  bytes.reserve(2 + units.size() * 2);
  for (char16_t u : units) {
    bytes.push_back(static_cast<std::uint8_t>(u & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(u >> 8));
  }
  return bytes;
}

}  // namespace korvane::formats
