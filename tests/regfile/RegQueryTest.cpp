// The `reg` command's own logic: its argument rules, the data of `reg add`, and
// the query listing read from the real store.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "registry/RegFileCommandLine.h"
#include "registry/RegFileKeys.h"
#include "registry/RegFileQuery.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using formats::RegKeyName;
using formats::RegRoot;

std::vector<std::uint8_t> B(const std::string& s) { return {s.begin(), s.end()}; }

TEST(RegCommandLine, OnlyTheListedSwitchesAreSwitchesInAnyCase) {
  std::string error;
  auto line = ParseRegCommandLine({"ADD", "HKCU\\x", "/V", "name", "/t", "REG_DWORD", "/D", "/tmp", "/F"}, &error);
  ASSERT_TRUE(line.has_value()) << error;
  EXPECT_EQ(line->action, "add");
  EXPECT_EQ(line->operands, std::vector<std::string>{"HKCU\\x"});
  EXPECT_EQ(line->valueName, "name");
  EXPECT_EQ(line->type, "REG_DWORD");
  EXPECT_EQ(line->data, "/tmp");  // a switch's value may look like a path
  EXPECT_TRUE(line->force);

  // Linux paths that start with '/' are operands, even short ones such as /x.
  line = ParseRegCommandLine({"export", "HKCR\\.dll", "/x", "/Y"}, &error);
  ASSERT_TRUE(line.has_value()) << error;
  EXPECT_EQ(line->operands, (std::vector<std::string>{"HKCR\\.dll", "/x"}));
  EXPECT_TRUE(line->overwrite);
  line = ParseRegCommandLine({"import", "/tmp/v.reg"}, &error);
  ASSERT_TRUE(line.has_value()) << error;
  EXPECT_EQ(line->operands[0], "/tmp/v.reg");

  line = ParseRegCommandLine({"query", "HKCU", "/ve", "/S"}, &error);
  ASSERT_TRUE(line.has_value()) << error;
  EXPECT_EQ(line->valueName, "");
  EXPECT_TRUE(line->recursive);
}

TEST(RegCommandLine, RefusesWhatTheActionDoesNotTake) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"copy", "HKCU\\a", "HKCU\\b"},
      {"query"},
      {"query", "HKCU\\a", "HKCU\\b"},
      {"query", "HKCU\\a", "/f"},
      {"add", "HKCU\\a", "/s"},
      {"delete", "HKCU\\a", "/v", "x", "/va"},
      {"delete", "HKCU\\a", "/ve", "/v", "x"},
      {"add", "HKCU\\a", "/v"},
      {"add", "HKCU\\a", "/f", "/F"},
      {"export", "HKCU\\a"},
      {"import", "a.reg", "/y"},
  };
  for (const auto& args : bad) {
    std::string error;
    EXPECT_FALSE(ParseRegCommandLine(args, &error).has_value()) << (args.empty() ? "" : args[0]);
    EXPECT_FALSE(error.empty());
  }
}

TEST(RegAddData, NumbersInDecimalOrHexWithinTheirWidth) {
  std::string error;
  EXPECT_EQ(ParseRegAddData(4, "4294967295", &error), B("\xff\xff\xff\xff"));
  EXPECT_EQ(ParseRegAddData(4, "0x1F", &error), B(std::string("\x1f\0\0\0", 4)));
  EXPECT_EQ(ParseRegAddData(4, "", &error), B(std::string(4, '\0')));
  EXPECT_EQ(ParseRegAddData(5, "0x01020304", &error), B("\x01\x02\x03\x04"));
  EXPECT_EQ(ParseRegAddData(11, "0x8000000000000001", &error), B(std::string("\x01\0\0\0\0\0\0\x80", 8)));
  for (const char* text : {"4294967296", "-1", "0x", "12a", "0x1g", " 1"}) {
    EXPECT_FALSE(ParseRegAddData(4, text, &error).has_value()) << text;
  }
  EXPECT_FALSE(ParseRegAddData(11, "18446744073709551616", &error).has_value());
}

TEST(RegAddData, StringsBinaryAndMultiStrings) {
  std::string error;
  EXPECT_EQ(ParseRegAddData(1, "a\\0b %x%", &error), B(std::string("a\\0b %x%\0", 9)));
  EXPECT_EQ(ParseRegAddData(2, "", &error), B(std::string("\0", 1)));
  EXPECT_EQ(ParseRegAddData(7, "one\\0two", &error), B(std::string("one\0two\0\0", 9)));
  EXPECT_EQ(ParseRegAddData(7, "", &error), B(std::string("\0", 1)));
  EXPECT_FALSE(ParseRegAddData(7, "a\\0\\0b", &error).has_value());
  EXPECT_EQ(ParseRegAddData(3, "00fFa0", &error), B(std::string("\0\xff\xa0", 3)));
  EXPECT_EQ(ParseRegAddData(3, "", &error), B(""));
  EXPECT_FALSE(ParseRegAddData(3, "abc", &error).has_value());
  EXPECT_FALSE(ParseRegAddData(0, "zz", &error).has_value());
  EXPECT_EQ(ParseRegAddType("reg_expand_sz"), 2u);
  EXPECT_EQ(ParseRegAddType("REG_QWORD"), 11u);
  EXPECT_FALSE(ParseRegAddType("REG_LINK").has_value());
  EXPECT_FALSE(ParseRegAddType("DWORD").has_value());
}

TEST(RegQueryData, ShowsEachTypeAsTheWindowsCommandDoes) {
  EXPECT_EQ(RegQueryData(1, B(std::string("text\0", 5))), "text");
  EXPECT_EQ(RegQueryData(2, B(std::string("%TEMP%\\x\0", 9))), "%TEMP%\\x");
  EXPECT_EQ(RegQueryData(7, B(std::string("a\0bc\0\0", 6))), "a\\0bc");
  EXPECT_EQ(RegQueryData(7, B(std::string("\0", 1))), "");
  EXPECT_EQ(RegQueryData(4, B(std::string("\x2a\0\0\0", 4))), "0x2a");
  EXPECT_EQ(RegQueryData(4, B("\xff\xff\xff\xff")), "0xffffffff");
  EXPECT_EQ(RegQueryData(5, B("\x01\x02\x03\x04")), "0x1020304");
  EXPECT_EQ(RegQueryData(11, B(std::string("\0\0\0\0\1\0\0\0", 8))), "0x100000000");
  EXPECT_EQ(RegQueryData(3, B(std::string("\x0a\xbc\0", 3))), "0ABC00");
  EXPECT_EQ(RegQueryData(4, B("\x01\x02")), "0102");  // a dword of the wrong size shows its bytes
  EXPECT_EQ(RegTypeName(0x99), "REG_UNKNOWN");
}

RegQueryRequest Request(const std::string& path, std::optional<std::string> valueName, bool recursive) {
  RegQueryRequest request;
  request.key = {RegRoot::CurrentUser, path};
  request.valueName = std::move(valueName);
  request.recursive = recursive;
  return request;
}

class RegQueryStore : public ::testing::Test {
 protected:
  RegQueryStore() : env_(std::make_unique<test::ScopedEnv>("KORVANE_REGISTRY", dir_.File("registry.db"))) {
    RegDeleteTree(kTop);  // a Windows build works on the machine's registry
    const RegKeyName top{RegRoot::CurrentUser, "Software\\Q"};
    EXPECT_EQ(RegWriteValue(top, "", 1, B(std::string("def\0", 4))), 0);
    EXPECT_EQ(RegWriteValue(top, "Count", 4, B(std::string("\x10\0\0\0", 4))), 0);
    EXPECT_EQ(RegWriteValue({RegRoot::CurrentUser, "Software\\Q\\sub"}, "Bytes", 3, B("\x01\xab")), 0);
    EXPECT_EQ(RegWriteValue({RegRoot::CurrentUser, "Software\\Q\\Another"}, "Count", 7, B(std::string("x\0\0", 3))), 0);
  }
  ~RegQueryStore() override { RegDeleteTree(kTop); }

  const RegKeyName kTop{RegRoot::CurrentUser, "Software\\Q"};
  test::TempDir dir_;
  std::unique_ptr<test::ScopedEnv> env_;
};

TEST_F(RegQueryStore, ListsValuesThenSubKeys) {
  std::string out;
  ASSERT_EQ(RunRegQuery(Request("Software\\Q", std::nullopt, false), &out), RegQueryStatus::Ok);
  EXPECT_EQ(out,
            "\n"
            "HKEY_CURRENT_USER\\Software\\Q\n"
            "    (Default)    REG_SZ    def\n"
            "    Count    REG_DWORD    0x10\n"
            "\n"
            "HKEY_CURRENT_USER\\Software\\Q\\Another\n"
            "HKEY_CURRENT_USER\\Software\\Q\\sub\n");
}

TEST_F(RegQueryStore, RecursiveListingHasABlankLineAfterEachKey) {
  std::string out;
  ASSERT_EQ(RunRegQuery(Request("Software\\Q", std::nullopt, true), &out), RegQueryStatus::Ok);
  EXPECT_EQ(out,
            "\n"
            "HKEY_CURRENT_USER\\Software\\Q\n"
            "    (Default)    REG_SZ    def\n"
            "    Count    REG_DWORD    0x10\n"
            "\n"
            "HKEY_CURRENT_USER\\Software\\Q\\Another\n"
            "    Count    REG_MULTI_SZ    x\n"
            "\n"
            "HKEY_CURRENT_USER\\Software\\Q\\sub\n"
            "    Bytes    REG_BINARY    01AB\n"
            "\n");
}

TEST_F(RegQueryStore, OneValueHereOrBelowAndWhatIsMissing) {
  std::string out;
  ASSERT_EQ(RunRegQuery(Request("software\\q", std::string("COUNT"), false), &out),
            RegQueryStatus::Ok);
  EXPECT_EQ(out, "\nHKEY_CURRENT_USER\\software\\q\n    Count    REG_DWORD    0x10\n\n");

  ASSERT_EQ(RunRegQuery(Request("Software\\Q", std::string("Count"), true), &out),
            RegQueryStatus::Ok);
  EXPECT_NE(out.find("Software\\Q\\Another\n    Count    REG_MULTI_SZ    x\n"), std::string::npos) << out;
  EXPECT_NE(out.find("End of search: 2 match(es) found.\n"), std::string::npos) << out;

  EXPECT_EQ(RunRegQuery(Request("Software\\Q\\sub", std::string(""), false), &out),
            RegQueryStatus::ValueMissing);
  EXPECT_EQ(RunRegQuery(Request("Software\\Q", std::string("nope"), true), &out),
            RegQueryStatus::ValueMissing);
  EXPECT_EQ(RunRegQuery(Request("Software\\Missing", std::nullopt, false), &out),
            RegQueryStatus::KeyMissing);
  EXPECT_TRUE(out.empty());
}

}  // namespace
}  // namespace korvane
