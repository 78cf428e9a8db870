// Import and export through the real registry store, each test on a store file
// of its own.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "formats/RegFileParser.h"
#include "formats/RegFileWriter.h"
#include "platform/Registry.h"
#include "registry/RegFileExport.h"
#include "registry/RegFileImport.h"
#include "registry/RegFileKeys.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using formats::RegKeyName;
using formats::RegOperation;
using formats::RegOpKind;
using formats::RegRoot;

// The keys these tests write. On Linux every test has a store file of its own;
// a Windows build runs against the machine's registry, so they are removed
// before and after each test.
const std::vector<RegKeyName> kTestKeys = {
    {RegRoot::CurrentUser, "Software\\Korvane Test"}, {RegRoot::CurrentUser, "Software\\K"},
    {RegRoot::CurrentUser, "Software\\KorvaneSample"}, {RegRoot::CurrentUser, "Software\\Applied"},
    {RegRoot::CurrentUser, "New"},                     {RegRoot::ClassesRoot, "korvane.test"},
};

class RegFileStore : public ::testing::Test {
 protected:
  RegFileStore() : env_(std::make_unique<test::ScopedEnv>("KORVANE_REGISTRY", dir_.File("registry.db"))) {
    RemoveTestKeys();
  }
  ~RegFileStore() override { RemoveTestKeys(); }

  static void RemoveTestKeys() {
    for (const RegKeyName& key : kTestKeys) RegDeleteTree(key);
  }

  std::string WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    return dir_.Write(name, std::string(bytes.begin(), bytes.end()));
  }

  // Everything under a key, for before/after comparisons.
  std::vector<RegOperation> Snapshot(const RegKeyName& key) {
    std::vector<RegOperation> ops;
    EXPECT_EQ(CollectRegTree(key, &ops), platform::kErrorSuccess);
    return ops;
  }

  // Value order within a key is the registry's own business (this store keeps
  // the order of writing, Wine's registry sorts by name): compare in name order.
  static std::vector<RegOperation> ValuesByName(std::vector<RegOperation> ops) {
    auto run = ops.begin();
    while (run != ops.end()) {
      auto end = std::find_if(run + 1, ops.end(), [](const RegOperation& op) { return op.kind != RegOpKind::SetValue; });
      std::sort(run + (run->kind == RegOpKind::SetValue ? 0 : 1), end,
                [](const RegOperation& x, const RegOperation& y) { return x.valueName < y.valueName; });
      run = end;
    }
    return ops;
  }

  static void ExpectSame(const std::vector<RegOperation>& unsortedA, const std::vector<RegOperation>& unsortedB) {
    const std::vector<RegOperation> a = ValuesByName(unsortedA);
    const std::vector<RegOperation> b = ValuesByName(unsortedB);
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
      EXPECT_TRUE(a[i].SameAs(b[i])) << "operation " << i << ": " << a[i].key.path << " / " << a[i].valueName;
    }
  }

  test::TempDir dir_;
  std::unique_ptr<test::ScopedEnv> env_;
};

RegOperation Key(RegRoot root, const std::string& path) {
  RegOperation op;
  op.key = {root, path};
  return op;
}

RegOperation Set(const RegOperation& key, const std::string& name, std::uint32_t type, const std::string& data) {
  RegOperation op;
  op.kind = RegOpKind::SetValue;
  op.key = key.key;
  op.valueName = name;
  op.type = type;
  op.data.assign(data.begin(), data.end());
  return op;
}

// A tree with every kind of value and awkward names, in the order an export lists it.
std::vector<RegOperation> AwkwardTree() {
  RegOperation top = Key(RegRoot::CurrentUser, "Software\\Korvane Test");
  RegOperation a = Key(RegRoot::CurrentUser, "Software\\Korvane Test\\a \"quoted\" key");
  RegOperation b = Key(RegRoot::CurrentUser, "Software\\Korvane Test\\B\xC3\xA4ume");
  RegOperation deep = Key(RegRoot::CurrentUser, "Software\\Korvane Test\\B\xC3\xA4ume\\x");
  return {
      top,
      Set(top, "", 1, std::string("top default\0", 12)),
      Set(top, "back\\slash \"and quote\"", 1, std::string("C:\\a\\\"b\"\0", 10)),
      Set(top, "empty", 1, std::string("\0", 1)),
      Set(top, "expand", 2, std::string("%PATH%;\xE2\x82\xAC\0", 11)),
      Set(top, "multi", 7, std::string("one\0two\0\0", 9)),
      Set(top, "dword", 4, std::string("\x78\x56\x34\x12", 4)),
      Set(top, "binary", 3, std::string("\x00\xff\x10", 3)),
      Set(top, "empty binary", 3, ""),
      Set(top, "qword", 11, std::string("\1\2\3\4\5\6\7\x08", 8)),
      Set(top, "none", 0, ""),
      a,
      Set(a, "\xE6\x97\xA5\xE6\x9C\xAC", 1, std::string("\xF0\x9F\x98\x80\0", 5)),
      b,
      deep,
      Set(deep, "long", 3, std::string(500, '\x5a')),
  };
}

TEST_F(RegFileStore, ExportThenImportGivesBackEveryValueIdentically) {
  std::vector<RegOperation> tree = AwkwardTree();
  ASSERT_EQ(ApplyRegOperations(tree).status, RegImportStatus::Ok);
  std::vector<RegOperation> stored;
  ASSERT_EQ(CollectRegTree(tree[0].key, &stored), platform::kErrorSuccess);
  ExpectSame(stored, tree);

  const std::string file = dir_.File("tree.reg");
  ASSERT_EQ(ExportRegFile(tree[0].key, file, false), "");
  ASSERT_EQ(RegDeleteTree(tree[0].key), platform::kErrorSuccess);
  EXPECT_FALSE(RegKeyExists(tree[0].key));

  RegImportResult imported = ImportRegFile(file);
  ASSERT_EQ(imported.status, RegImportStatus::Ok) << imported.message;
  ASSERT_EQ(CollectRegTree(tree[0].key, &stored), platform::kErrorSuccess);
  ExpectSame(stored, tree);
}

TEST_F(RegFileStore, ExportRefusesToReplaceAFileWithoutOverwriteAndAMissingKey) {
  ASSERT_EQ(ApplyRegOperations({Key(RegRoot::CurrentUser, "Software\\K")}).status, RegImportStatus::Ok);
  const std::string file = dir_.Write("old.reg", "keep me");
  EXPECT_NE(ExportRegFile({RegRoot::CurrentUser, "Software\\K"}, file, false).find("already exists"),
            std::string::npos);
  EXPECT_EQ(test::ReadFile(file), "keep me");
  EXPECT_EQ(ExportRegFile({RegRoot::CurrentUser, "Software\\K"}, file, true), "");
  EXPECT_EQ(test::ReadFile(file).substr(0, 4), std::string("\xFF\xFEW\0", 4));

  // Names with line breaks exist in a registry but have no form in a file.
  const std::string firstExport = test::ReadFile(file);
  ASSERT_EQ(RegWriteValue({RegRoot::CurrentUser, "Software\\K"}, "two\nlines", 1, {'x', 0}), platform::kErrorSuccess);
  EXPECT_NE(ExportRegFile({RegRoot::CurrentUser, "Software\\K"}, file, true).find("line break"), std::string::npos);
  EXPECT_EQ(test::ReadFile(file), firstExport) << "the old export is kept";

  const std::string missing = dir_.File("missing.reg");
  EXPECT_NE(ExportRegFile({RegRoot::CurrentUser, "Software\\Nothing here"}, missing, false), "");
  EXPECT_TRUE(test::ReadFile(missing).empty());
}

TEST_F(RegFileStore, ClassesRootExportsUnderItsOwnName) {
  RegOperation key = Key(RegRoot::ClassesRoot, "korvane.test\\shell");
  ASSERT_EQ(ApplyRegOperations({key, Set(key, "", 1, std::string("Open\0", 5))}).status, RegImportStatus::Ok);
  const std::string file = dir_.File("hkcr.reg");
  ASSERT_EQ(ExportRegFile({RegRoot::ClassesRoot, "korvane.test"}, file, false), "");
  std::string raw = test::ReadFile(file);
  const auto parsed = formats::ParseRegFile(std::vector<std::uint8_t>(raw.begin(), raw.end()));
  ASSERT_TRUE(parsed.has_value()) << parsed.error().message;
  ASSERT_EQ(parsed->size(), 3u);
  EXPECT_EQ(formats::RegKeyFullName((*parsed)[0].key), "HKEY_CLASSES_ROOT\\korvane.test");
  EXPECT_EQ(formats::RegKeyFullName((*parsed)[1].key), "HKEY_CLASSES_ROOT\\korvane.test\\shell");
}

TEST_F(RegFileStore, TheRegistryEditorsSampleImports) {
  RegImportResult result = ImportRegFile(std::string(KORVANE_REGFILE_DATA) + "/regedit_sample.reg");
  ASSERT_EQ(result.status, RegImportStatus::Ok) << result.message;
  RegFileValue v;
  ASSERT_EQ(RegReadValue({RegRoot::CurrentUser, "Software\\KorvaneSample"}, "Count", &v), platform::kErrorSuccess);
  EXPECT_EQ(v.type, 4u);
  EXPECT_EQ(v.data, (std::vector<std::uint8_t>{42, 0, 0, 0}));
  ASSERT_EQ(RegReadValue({RegRoot::CurrentUser, "Software\\KorvaneSample\\Caf\xC3\xA9"}, "Name", &v),
            platform::kErrorSuccess);
  EXPECT_EQ(std::string(v.data.begin(), v.data.end()), std::string("\xC3\xA9t\xC3\xA9\0", 6));
}

TEST_F(RegFileStore, DeletionsRemoveWholeTreesAndSingleValues) {
  std::vector<RegOperation> tree = AwkwardTree();
  ASSERT_EQ(ApplyRegOperations(tree).status, RegImportStatus::Ok);
  const std::string file = dir_.Write("del.reg",
                                      "Windows Registry Editor Version 5.00\r\n\r\n"
                                      "[-HKEY_CURRENT_USER\\Software\\Korvane Test\\B\xC3\xA4ume]\r\n\r\n"
                                      "[-HKEY_CURRENT_USER\\Software\\Never There]\r\n\r\n"
                                      "[HKEY_CURRENT_USER\\Software\\Korvane Test]\r\n"
                                      "\"dword\"=-\r\n\"not there\"=-\r\n");
  RegImportResult result = ImportRegFile(file);
  ASSERT_EQ(result.status, RegImportStatus::Ok) << result.message;
  EXPECT_FALSE(RegKeyExists({RegRoot::CurrentUser, "Software\\Korvane Test\\B\xC3\xA4ume"}));
  EXPECT_TRUE(RegKeyExists({RegRoot::CurrentUser, "Software\\Korvane Test\\a \"quoted\" key"}));
  RegFileValue v;
  EXPECT_EQ(RegReadValue(tree[0].key, "dword", &v), platform::kErrorFileNotFound);
  EXPECT_EQ(RegReadValue(tree[0].key, "multi", &v), platform::kErrorSuccess);
}

TEST_F(RegFileStore, AMalformedFileChangesNothing) {
  ASSERT_EQ(ApplyRegOperations(AwkwardTree()).status, RegImportStatus::Ok);
  const RegKeyName tree = AwkwardTree()[0].key;
  std::vector<RegOperation> before = Snapshot(tree);

  // Good lines first, then the fault: nothing of the good lines may land.
  const std::vector<std::string> bodies = {
      "[-HKEY_CURRENT_USER\\Software\\Korvane Test]\r\n[HKEY_CURRENT_USER\\New]\r\n\"a\"=hex:01,xx\r\n",
      "[HKEY_CURRENT_USER\\New]\r\n\"a\"=\"b\"\r\n[HKEY_CURRENT_USER\\New\\c",
      "[HKEY_CURRENT_USER\\New]\r\n\"a\"=\"bad \\q escape\"\r\n",
      "[HKEY_CURRENT_USER\\New]\r\n[HKEY_CURRENT_CONFIG\\x]\r\n",
      "[HKEY_CURRENT_USER\\New]\r\n\"big\"=\"" + std::string(formats::kRegFileMaxLineChars, 'x') + "\"\r\n",
  };
  for (const std::string& body : bodies) {
    const std::string file = dir_.Write("bad.reg", "Windows Registry Editor Version 5.00\r\n\r\n" + body);
    RegImportResult result = ImportRegFile(file);
    EXPECT_EQ(result.status, RegImportStatus::Malformed) << body.substr(0, 60);
    EXPECT_EQ(result.message.rfind("line ", 0), 0u) << result.message;
    EXPECT_FALSE(RegKeyExists({RegRoot::CurrentUser, "New"}));
    ExpectSame(Snapshot(tree), before);
  }
  EXPECT_EQ(ImportRegFile(dir_.File("absent.reg")).status, RegImportStatus::FileMissing);
}

TEST_F(RegFileStore, AFailureWhileApplyingNamesTheLineAndSaysWhatBecameOfTheLinesBefore) {
  // A key name the registry refuses (over 255 UTF-16 units) that did not come
  // through the parser.
  RegOperation good = Key(RegRoot::CurrentUser, "Software\\Applied");
  good.line = 3;
  RegOperation bad = Key(RegRoot::CurrentUser, "Software\\" + std::string(300, 'k'));
  bad.line = 5;
  RegImportResult result = ApplyRegOperations({good, bad});
  EXPECT_EQ(result.status, RegImportStatus::ApplyFailed);
  EXPECT_EQ(result.message.rfind("line 5: ", 0), 0u) << result.message;
  // Where the registry groups changes, the whole file is one of them.
  const bool grouped = platform::RegGroupsChanges();
  EXPECT_NE(result.message.find(grouped ? "nothing was changed" : "lines before it were made"),
            std::string::npos)
      << result.message;
  EXPECT_EQ(RegKeyExists(good.key), !grouped);
}

}  // namespace
}  // namespace korvane
