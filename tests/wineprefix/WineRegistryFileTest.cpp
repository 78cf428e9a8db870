#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/TextCodec.h"
#include "formats/WineRegistryFile.h"

namespace korvane::formats {
namespace {

const std::string kHead =
    "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n\n";

Expected<WineRegistryFile> Parse(const std::string& text) {
  return ParseWineRegistryFile(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::vector<std::uint8_t> Sz(const std::string& s) {
  std::vector<std::uint8_t> d(s.begin(), s.end());
  d.push_back(0);
  return d;
}

TEST(WineRegistryFile, ReadsTheHeaderLines) {
  auto r = Parse(
      "WINE REGISTRY Version 2\r\n;; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\r\n"
      "\r\n#arch=win32\r\n\r\n[Console] 1796651105\r\n#time=1dd86512adf6ed0\r\n\"A\"=dword:00000001\r\n");
  ASSERT_TRUE(r) << r.error().message;
  EXPECT_EQ(r->relativeTo, "REGISTRY\\User\\S-1-5-21-0-0-0-1000");
  EXPECT_EQ(r->arch, "win32");
  ASSERT_EQ(r->keys.size(), 1u);
  EXPECT_EQ(r->keys[0].path, std::vector<std::string>{"Console"});
  ASSERT_EQ(r->keys[0].values.size(), 1u);
}

// Each form of value line wineserver writes, and the escapes of its strings.
TEST(WineRegistryFile, ReadsEveryValueForm) {
  struct Case {
    const char* line;
    const char* name;
    std::uint32_t type;
    std::vector<std::uint8_t> data;
  };
  const Case cases[] = {
      {R"(@="txtfile")", "", 1, Sz("txtfile")},
      {R"("Path"="C:\\windows\\system32\\x.dll")", "Path", 1, Sz("C:\\windows\\system32\\x.dll")},
      {R"("Q"="say \"hi\"")", "Q", 1, Sz("say \"hi\"")},
      {R"("E"="")", "E", 1, Sz("")},
      {R"("C"="a\tb\nc\rd\ae\ff\vg\bh\ei")", "C", 1, Sz("a\tb\nc\rd\ae\ff\vg\bh\x1bi")},
      {R"("U"="caf\xe9 \x20ac1 \x4e2d")", "U", 1, Sz("caf\xc3\xa9 \xe2\x82\xac" "1 \xe4\xb8\xad")},
      {R"("Pair"="\xd83d\xde00")", "Pair", 1, Sz("\xf0\x9f\x98\x80")},
      {R"("Oct"="a\1b\0012")", "Oct", 1, {'a', 1, 'b', 1, '2', 0}},
      {R"("Raw"="é")", "Raw", 1, Sz("\xc3\xa9")},
      {R"("X"=str(2):"%SystemRoot%\\system32")", "X", 2, Sz("%SystemRoot%\\system32")},
      {R"("M"=str(7):"one\0two\0")", "M", 7, {'o', 'n', 'e', 0, 't', 'w', 'o', 0, 0}},
      {R"("D"=dword:0000ff01)", "D", 4, {0x01, 0xff, 0, 0}},
      {R"("B"=hex:01,ab,FF)", "B", 3, {0x01, 0xab, 0xff}},
      {R"("Empty"=hex:)", "Empty", 3, {}},
      {R"("L"=hex(6):5c,00,52,00)", "L", 6, {0x5c, 0, 0x52, 0}},
      {R"("Q8"=hex(b):01,00,00,00,00,00,00,80)", "Q8", 11, {1, 0, 0, 0, 0, 0, 0, 0x80}},
      {R"("N"=hex(0):)", "N", 0, {}},
      {R"("W"=hex(2):25,00,41,00,25,00,00,00)", "W", 2, Sz("%A%")},
      {R"("Big"=hex(ffff0001):00)", "Big", 0xffff0001u, {0}},
      {R"("Odd \"name\" [x]"=dword:1)", "Odd \"name\" [x]", 4, {1, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    auto r = Parse(kHead + "[K] 1\n" + c.line + "\n");
    ASSERT_TRUE(r) << c.line << ": " << r.error().message;
    ASSERT_EQ(r->keys.size(), 1u) << c.line;
    ASSERT_EQ(r->keys[0].values.size(), 1u) << c.line;
    const WineRegValue& v = r->keys[0].values[0];
    EXPECT_EQ(v.name, c.name) << c.line;
    EXPECT_EQ(v.type, c.type) << c.line;
    EXPECT_EQ(v.data, c.data) << c.line;
  }
}

TEST(WineRegistryFile, JoinsContinuedHexLinesAndMarksLinks) {
  auto r = Parse(kHead +
                              "[Software\\\\Classes\\\\Wow6432Node\\\\TypeLib] 1796651106\n"
                              "#time=1dd86512adf6ed0\n#link\n"
                              "\"SymbolicLinkValue\"=hex(6):5c,00,52,00,\\\n  65,00,\\\n  67,00\n"
                              "[Software\\\\Other] 1\n\"A\"=hex:01,\\\n  02\n");
  ASSERT_TRUE(r) << r.error().message;
  ASSERT_EQ(r->keys.size(), 2u);
  EXPECT_EQ(r->keys[0].path, (std::vector<std::string>{"Software", "Classes", "Wow6432Node", "TypeLib"}));
  EXPECT_TRUE(r->keys[0].link);
  EXPECT_FALSE(r->keys[1].link);
  ASSERT_EQ(r->keys[0].values.size(), 1u);
  EXPECT_EQ(r->keys[0].values[0].data, (std::vector<std::uint8_t>{0x5c, 0, 0x52, 0, 0x65, 0, 0x67, 0}));
  EXPECT_EQ(r->keys[1].values[0].data, (std::vector<std::uint8_t>{1, 2}));
  EXPECT_EQ(r->keys[1].line, 12);  // lines after a continued value keep their numbers
}

TEST(WineRegistryFile, KeyNamesUnescapeAndSplitOnSingleBackslashes) {
  auto r = Parse(kHead + "[A\\\\B\\]C\\\\caf\\xe9] 7\n[Top]\n");
  ASSERT_TRUE(r) << r.error().message;
  ASSERT_EQ(r->keys.size(), 2u);
  EXPECT_EQ(r->keys[0].path, (std::vector<std::string>{"A", "B]C", "caf\xc3\xa9"}));
  EXPECT_EQ(r->keys[1].path, std::vector<std::string>{"Top"});
}

// Every malformed file is refused as a whole, naming the line at fault.
TEST(WineRegistryFile, RefusesMalformedFilesNamingTheLine) {
  struct Case {
    std::string text;
    int line;
  };
  const std::string longName(256, 'k');
  std::string deep = "[";
  for (std::size_t i = 0; i <= kWineRegMaxDepth; ++i) deep += (i ? "\\\\" : "") + std::string("k");
  deep += "]\n";
  const Case cases[] = {
      {"", 1},
      {"REGEDIT4\n", 1},
      {"WINE REGISTRY Version 1\n", 1},
      {kHead + "\"A\"=dword:1\n", 6},                      // a value before any key
      {kHead + "[K\n", 6},                                 // no closing bracket
      {kHead + "[K] 12x\n", 6},                            // junk after the time
      {kHead + "[K\\\\\\\\L]\n", 6},                       // an empty name in the path
      {kHead + "[" + longName + "]\n", 6},                 // a name longer than 255
      {kHead + deep, 6},                                   // deeper than the limit
      {kHead + "[K]\n\"A\"\n", 7},                         // no '='
      {kHead + "[K]\n\"A=\"x\"\n", 7},                     // name not closed where it should be
      {kHead + "[K]\n\"A\"=\"x\n", 7},                     // string not closed
      {kHead + "[K]\n\"A\"=\"x\" y\n", 7},                 // text after the string
      {kHead + "[K]\n\"A\"=dword:\n", 7},
      {kHead + "[K]\n\"A\"=dword:123456789\n", 7},         // nine digits
      {kHead + "[K]\n\"A\"=dword:12 34\n", 7},
      {kHead + "[K]\n\"A\"=hex:1g\n", 7},
      {kHead + "[K]\n\"A\"=hex:123\n", 7},
      {kHead + "[K]\n\"A\"=hex:01,,02\n", 7},
      {kHead + "[K]\n\"A\"=hex(2:00\n", 7},
      {kHead + "[K]\n\"A\"=hex():00\n", 7},
      {kHead + "[K]\n\"A\"=str(4):\"x\"\n", 7},            // str() of a non-string type
      {kHead + "[K]\n\"A\"=str(2)\"x\"\n", 7},
      {kHead + "[K]\n\"A\"=\"\\x\"\n", 7},                 // \x without digits
      {kHead + "[K]\n\"A\"=quad:1\n", 7},
      {kHead + "[K]\n\"A\"=hex:01,\\\n", 7},               // continues past the end
      {kHead + "[K]\n\"A\"=hex:01,\\\n  zz\n", 7},         // bad byte on a continued line
      {kHead + "[K]\nvalue\n", 7},
      {kHead + "#link\n", 6},                              // #link outside a key
      {"WINE REGISTRY Version 2\n#arch=win16\n", 2},
  };
  for (const Case& c : cases) {
    auto r = Parse(c.text);
    ASSERT_FALSE(r) << c.text;
    EXPECT_EQ(r.error().kind, ErrorKind::kBadWineRegistry) << c.text;
    EXPECT_EQ(r.error().line, c.line) << c.text << " -> " << r.error().message;
    EXPECT_EQ(r.error().message.rfind("line " + std::to_string(c.line) + ": ", 0), 0u) << r.error().message;
  }
}

TEST(WineRegistryFile, RefusesAValueNameOverTheLimit) {
  auto r = Parse(kHead + "[K]\n\"" + std::string(kWineRegMaxValueName + 1, 'n') + "\"=dword:1\n");
  EXPECT_FALSE(r);
  r = Parse(kHead + "[K]\n\"" + std::string(kWineRegMaxValueName, 'n') + "\"=dword:1\n");
  EXPECT_TRUE(r) << r.error().message;
}

}  // namespace
}  // namespace korvane::formats
