#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/RegFileParser.h"
#include "formats/TextCodec.h"
#include "support/KeyPath.h"
#include "support/TempDir.h"

namespace korvane::formats {
namespace {

using test::NestedKeyPath;

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

std::vector<std::uint8_t> Utf16File(const std::string& utf8) {
  std::vector<std::uint8_t> out{0xFF, 0xFE};
  for (char16_t u : Utf8ToUtf16(utf8)) {
    out.push_back(static_cast<std::uint8_t>(u & 0xFF));
    out.push_back(static_cast<std::uint8_t>(u >> 8));
  }
  return out;
}

Expected<std::vector<RegOperation>> Parse(const std::string& text) { return ParseRegFile(Bytes(text)); }

std::vector<std::uint8_t> Sz(const std::string& s) {
  std::vector<std::uint8_t> d(s.begin(), s.end());
  d.push_back(0);
  return d;
}

const std::string kV5 = "Windows Registry Editor Version 5.00\r\n\r\n";

TEST(RegFileParser, ReadsTheRegistryEditorsOwnLayout) {
  std::string raw = test::ReadFile(std::string(KORVANE_REGFILE_DATA) + "/regedit_sample.reg");
  ASSERT_FALSE(raw.empty());
  auto r = ParseRegFile(Bytes(raw));
  ASSERT_TRUE(r.has_value()) << r.error().message;
  ASSERT_EQ(r->size(), 12u);

  const RegOperation& key = (*r)[0];
  EXPECT_EQ(key.kind, RegOpKind::CreateKey);
  EXPECT_EQ(key.key.root, RegRoot::CurrentUser);
  EXPECT_EQ(key.key.path, "Software\\KorvaneSample");
  EXPECT_EQ(key.line, 3);

  EXPECT_EQ((*r)[1].valueName, "");
  EXPECT_EQ((*r)[1].data, Sz("Sample default"));
  EXPECT_EQ((*r)[2].data, Sz("C:\\Program Files\\Sample\\"));
  EXPECT_EQ((*r)[3].data, Sz("say \"hi\""));
  EXPECT_EQ((*r)[4].type, kRegFileDword);
  EXPECT_EQ((*r)[4].data, (std::vector<std::uint8_t>{0x2a, 0, 0, 0}));

  const RegOperation& blob = (*r)[5];
  EXPECT_EQ(blob.type, kRegFileBinary);
  ASSERT_EQ(blob.data.size(), 0x30u);  // three wrapped lines joined
  for (std::size_t i = 0; i < blob.data.size(); ++i) EXPECT_EQ(blob.data[i], i);

  EXPECT_EQ((*r)[6].type, kRegFileExpandSz);
  EXPECT_EQ((*r)[6].data, Sz("%SystemRoot%\\x"));
  EXPECT_EQ((*r)[7].type, kRegFileMultiSz);
  EXPECT_EQ((*r)[7].data, Bytes(std::string("a\0bc\0\0", 6)));
  EXPECT_EQ((*r)[8].type, 11u);
  EXPECT_EQ((*r)[8].data, (std::vector<std::uint8_t>{1, 0, 0, 0, 0, 0, 0, 0x80}));
  EXPECT_EQ((*r)[9].type, 0u);
  EXPECT_TRUE((*r)[9].data.empty());

  EXPECT_EQ((*r)[10].kind, RegOpKind::CreateKey);
  EXPECT_EQ((*r)[10].key.path, "Software\\KorvaneSample\\Caf\xC3\xA9");
  EXPECT_EQ((*r)[11].key, (*r)[10].key);
  EXPECT_EQ((*r)[11].data, Sz("\xC3\xA9t\xC3\xA9"));
}

TEST(RegFileParser, AcceptsUtf8WithAndWithoutBomAndUtf16WithoutBom) {
  std::string body = kV5 + "[HKCU\\Software\\\xC3\x9C]\r\n\"n\"=\"\xE2\x82\xAC\"\r\n";
  std::vector<std::uint8_t> utf16 = Utf16File(body);
  utf16.erase(utf16.begin(), utf16.begin() + 2);
  for (const auto& bytes : {Bytes(body), Bytes("\xEF\xBB\xBF" + body), utf16}) {
    auto r = ParseRegFile(bytes);
    ASSERT_TRUE(r.has_value()) << r.error().message;
    ASSERT_EQ(r->size(), 2u);
    EXPECT_EQ((*r)[0].key.path, "Software\\\xC3\x9C");
    EXPECT_EQ((*r)[1].data, Sz("\xE2\x82\xAC"));
  }
}

TEST(RegFileParser, Regedit4IsReadInTheAnsiCodePage) {
  // 0xE9 is e acute and 0x80 the euro sign in Windows-1252; REGEDIT4 keeps the
  // string types' hex data in that code page too, one byte a character.
  std::string text =
      "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Caf\xE9]\r\n\"Price\"=\"5\x80\"\r\n"
      "\"Exp\"=hex(2):25,41,25,00\r\n";
  auto r = Parse(text);
  ASSERT_TRUE(r.has_value()) << r.error().message;
  ASSERT_EQ(r->size(), 3u);
  EXPECT_EQ((*r)[0].key.root, RegRoot::LocalMachine);
  EXPECT_EQ((*r)[0].key.path, "Software\\Caf\xC3\xA9");
  EXPECT_EQ((*r)[1].data, Sz("5\xE2\x82\xAC"));
  EXPECT_EQ((*r)[2].data, Sz("%A%"));
}

TEST(RegFileParser, ReadsDeletionsCommentsAndLooseSpacing) {
  std::string text = kV5 +
                     "; a comment line\n"
                     "[-HKEY_CLASSES_ROOT\\Old\\Tree]\n"
                     "\n"
                     "   [HKEY_USERS\\.DEFAULT\\x\\]   \n"
                     "\"gone\" = -\n"
                     "@ = dword:FF ; trailing comment\n"
                     "\"bin\"=hex: 0a , 0B ,\n"
                     "\"one\"=hex:f\n";
  auto r = Parse(text);
  ASSERT_TRUE(r.has_value()) << r.error().message;
  ASSERT_EQ(r->size(), 6u);
  EXPECT_EQ((*r)[0].kind, RegOpKind::DeleteKey);
  EXPECT_EQ((*r)[0].key.root, RegRoot::ClassesRoot);
  EXPECT_EQ((*r)[0].key.path, "Old\\Tree");
  EXPECT_EQ((*r)[1].key.path, ".DEFAULT\\x");  // trailing backslash dropped
  EXPECT_EQ((*r)[1].line, 6);
  EXPECT_EQ((*r)[2].kind, RegOpKind::DeleteValue);
  EXPECT_EQ((*r)[2].valueName, "gone");
  EXPECT_EQ((*r)[3].valueName, "");
  EXPECT_EQ((*r)[3].data, (std::vector<std::uint8_t>{0xFF, 0, 0, 0}));
  EXPECT_EQ((*r)[4].data, (std::vector<std::uint8_t>{0x0A, 0x0B}));
  EXPECT_EQ((*r)[5].data, (std::vector<std::uint8_t>{0x0F}));
}

TEST(RegFileParser, ValueNamesKeepEscapedQuotesAndBackslashes) {
  auto r = Parse(kV5 + "[HKCU\\k]\n\"a\\\\b \\\"c\\\"\"=\"\"\n\"@\"=\"x\"\n");
  ASSERT_TRUE(r.has_value()) << r.error().message;
  EXPECT_EQ((*r)[1].valueName, "a\\b \"c\"");
  EXPECT_EQ((*r)[1].data, Sz(""));
  EXPECT_EQ((*r)[2].valueName, "@");  // a named value, not the default
}

struct Malformed {
  const char* what;
  std::string text;
  int line;
  const char* message;
};

TEST(RegFileParser, RefusesMalformedFilesNamingTheLine) {
  const std::vector<Malformed> cases = {
      {"empty file", "", 1, "empty"},
      {"no header", "[HKCU\\x]\n", 1, "not a registry file"},
      {"truncated key line", kV5 + "[HKEY_CURRENT_USER\\So", 3, "must end with ']'"},
      {"unknown root", kV5 + "[HKEY_NOWHERE\\x]\n", 3, "unknown registry root"},
      {"empty key component", kV5 + "[HKCU\\a\\\\b]\n", 3, "empty key name"},
      {"root deletion", kV5 + "[-HKEY_CURRENT_USER]\n", 3, "root key cannot be deleted"},
      {"value before any key", kV5 + "\"a\"=\"b\"\n", 3, "outside of a key"},
      {"value under a deleted key", kV5 + "[-HKCU\\x]\n\"a\"=\"b\"\n", 4, "outside of a key"},
      {"bad escape", kV5 + "[HKCU\\x]\n\"a\"=\"c:\\temp\"\n", 4, "unknown escape"},
      {"unclosed string", kV5 + "[HKCU\\x]\n\"a\"=\"abc\n", 4, "no closing"},
      {"missing equals", kV5 + "[HKCU\\x]\n\"a\" \"b\"\n", 4, "expected '='"},
      {"bad hex digit", kV5 + "[HKCU\\x]\n\"a\"=hex:01,0g\n", 4, "bad hex byte"},
      {"three hex digits", kV5 + "[HKCU\\x]\n\"a\"=hex:123\n", 4, "bad hex byte"},
      {"empty hex byte", kV5 + "[HKCU\\x]\n\"a\"=hex:01,,02\n", 4, "empty byte"},
      {"bad hex type", kV5 + "[HKCU\\x]\n\"a\"=hex(z):00\n", 4, "bad value type"},
      {"hex without colon", kV5 + "[HKCU\\x]\n\"a\"=hex 00\n", 4, "expected ':'"},
      {"long dword", kV5 + "[HKCU\\x]\n\"a\"=dword:123456789\n", 4, "more than 8"},
      {"empty dword", kV5 + "[HKCU\\x]\n\"a\"=dword:\n", 4, "1 to 8 hex digits"},
      {"unknown data", kV5 + "[HKCU\\x]\n\"a\"=qword:1\n", 4, "unknown kind"},
      {"text after string", kV5 + "[HKCU\\x]\n\"a\"=\"b\" c\n", 4, "unexpected text"},
      {"stray text", kV5 + "[HKCU\\x]\nhello\n", 4, "expected a key"},
      {"continuation past the end", kV5 + "[HKCU\\x]\n\"a\"=hex:01,\\\n", 4, "past the end"},
      {"error after a continuation", kV5 + "[HKCU\\x]\n\"a\"=hex:01,\\\n  02\n\"b\"=hex:zz\n", 6,
       "bad hex byte"},
      // Stray bytes behind a UTF-8 mark are measured as the registry will measure them.
      {"bad UTF-8 name", "\xEF\xBB\xBF" + kV5 + "[HKCU\\x]\n[HKCU\\" + std::string(300, '\x80') + "]\n", 4,
       "longer than 255"},
      {"key too deep", kV5 + "[HKCU\\x]\n[HKCU\\" + NestedKeyPath(kRegMaxKeyDepth + 1) + "]\n", 4, "deeper than 512"},
  };
  for (const Malformed& c : cases) {
    auto r = Parse(c.text);
    if (r) {
      ADD_FAILURE() << c.what << ": accepted";
      continue;
    }
    EXPECT_EQ(r.error().line, c.line) << c.what << ": " << r.error().message;
    EXPECT_EQ(r.error().message.rfind("line " + std::to_string(c.line) + ": ", 0), 0u) << c.what << ": " << r.error().message;
    EXPECT_NE(r.error().message.find(c.message), std::string::npos) << c.what << ": " << r.error().message;
  }
}

TEST(RegFileParser, RefusesAbsurdSizesWithoutExhaustingMemory) {
  // (One single overlong line is refused in the store tests.)
  // Continuation lines that each stay short must not add up past the limit either.
  std::string chained = kV5 + "[HKCU\\x]\n\"a\"=hex:";
  std::string piece = std::string(1000, '0') + "\\\n";
  for (std::size_t n = 0; n <= kRegFileMaxLineChars / 1000; ++n) chained += piece;
  chained += "00\n";
  auto r = Parse(chained);
  EXPECT_EQ(r.error().line, 4);
  EXPECT_NE(r.error().message.find("too long"), std::string::npos) << r.error().message;

  std::string big = kV5 + "[HKCU\\x]\n\"a\"=hex:";
  for (std::size_t n = 0; n <= kRegFileMaxValueBytes; ++n) big += "00,";
  big += "00\n";
  r = Parse(big);
  EXPECT_EQ(r.error().line, 4);
  EXPECT_NE(r.error().message.find("too large"), std::string::npos) << r.error().message;

  std::string longKey = kV5 + "[HKCU\\" + std::string(256, 'k') + "]\n";
  r = Parse(longKey);
  EXPECT_EQ(r.error().line, 3);
  EXPECT_NE(r.error().message.find("longer than 255"), std::string::npos) << r.error().message;
}

TEST(RegFileKeyName, KeysNestAsDeepAsTheRegistryAllowsCountedFromItsRoot) {
  struct Case {
    const char* root;
    std::size_t levels;
    bool fits;
  };
  const Case cases[] = {
      {"HKCU", kRegMaxKeyDepth, true},
      {"HKU", kRegMaxKeyDepth + 1, false},
      // HKEY_CLASSES_ROOT is HKEY_LOCAL_MACHINE\Software\Classes.
      {"HKEY_CLASSES_ROOT", kRegMaxKeyDepth - 2, true},
      {"HKCR", kRegMaxKeyDepth - 1, false},
      {"HKLM", kRegMaxKeyDepth, true},
  };
  for (const Case& c : cases) {
    const auto key = ParseRegKeyName(std::string(c.root) + "\\" + NestedKeyPath(c.levels));
    EXPECT_EQ(key.has_value(), c.fits) << c.root << " " << c.levels << ": " << (key ? "" : key.error().message);
  }
}

TEST(RegFileKeyName, AcceptsShortAndLongRootsInAnyCase) {
  for (const char* name : {"HKCU\\Software", "hkey_current_user\\Software", "HkCu\\Software\\"}) {
    auto key = ParseRegKeyName(name);
    ASSERT_TRUE(key.has_value()) << name;
    EXPECT_EQ(key->root, RegRoot::CurrentUser);
    EXPECT_EQ(RegKeyFullName(*key), "HKEY_CURRENT_USER\\Software");
  }
  EXPECT_EQ(ParseRegKeyName("HKCR")->root, RegRoot::ClassesRoot);
  EXPECT_EQ(ParseRegKeyName("HKU\\x")->root, RegRoot::Users);
  EXPECT_EQ(ParseRegKeyName("HKEY_LOCAL_MACHINE")->path, "");
  const auto unknown = ParseRegKeyName("HKCC\\x");
  ASSERT_FALSE(unknown.has_value());
  EXPECT_EQ(unknown.error().kind, ErrorKind::kBadKeyName);
  EXPECT_NE(unknown.error().message.find("HKCC"), std::string::npos);
  EXPECT_FALSE(ParseRegKeyName("/tmp/file").has_value());
}

}  // namespace
}  // namespace korvane::formats
