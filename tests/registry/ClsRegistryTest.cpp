// clsRegistry against the real store: each member's rules, the value
// encodings in both directions and the recorded errors.

#include <functional>

#include "registry/ProgramName.h"
#include "registry/SectionEnumerator.h"
#include "registry/clsRegistry.h"
#include "StoreFixture.h"

namespace korvane::test {
namespace {

using namespace korvane::platform;

constexpr std::int32_t kCurrentUser = static_cast<std::int32_t>(0x80000001u);
constexpr std::uint32_t kTypeUnchanged = 99;

std::string Source() { return ProgramName() + ".cRegistry"; }

class ClsRegistryTest : public FreshStore {
 protected:
  // An object aimed at HKEY_CURRENT_USER\Software\<section>, value <name>.
  static clsRegistry At(const std::string& section, const std::string& name = "") {
    clsRegistry r;
    r.SetClassKey(kCurrentUser);
    r.SetSectionKey("Software\\" + section);
    r.SetValueKey(name);
    return r;
  }
  // Stores raw bytes at HKCU\Software\Raw, value v, and reads them back through the class.
  static RegValue ReadRaw(std::uint32_t type, const std::vector<std::uint8_t>& bytes,
                          clsRegistry* used = nullptr) {
    EXPECT_EQ(Put(kHKeyCurrentUser, "Software\\Raw", "v", type, bytes), 0);
    clsRegistry r = At("Raw", "v");
    r.SetValueType(kTypeUnchanged);
    RegValue v = r.Value();
    if (used != nullptr) *used = r;
    return v;
  }
  static void ExpectStored(const std::string& section, const std::string& name,
                           std::uint32_t type, const std::vector<std::uint8_t>& data) {
    std::uint32_t storedType = 0;
    std::vector<std::uint8_t> stored;
    ASSERT_EQ(Get(kHKeyCurrentUser, "Software\\" + section, name, &storedType, &stored), 0);
    EXPECT_EQ(storedType, type);
    EXPECT_EQ(stored, data);
  }
  static bool ValueExists(const std::string& section, const std::string& name) {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    return Get(kHKeyCurrentUser, "Software\\" + section, name, &type, &data) == 0;
  }
  static void ExpectError(const clsRegistry& r, long number, const std::string& description) {
    ASSERT_TRUE(r.LastError().has_value());
    EXPECT_EQ(r.LastError()->Number(), number);
    EXPECT_EQ(r.LastError()->Source(), Source());
    EXPECT_EQ(r.LastError()->Description(), description);
  }
};

TEST_F(ClsRegistryTest, StartsEmpty) {
  clsRegistry r;
  EXPECT_EQ(r.ClassKey(), 0);
  EXPECT_EQ(r.SectionKey(), "");
  EXPECT_EQ(r.ValueKey(), "");
  EXPECT_EQ(r.ValueType(), 0);
  EXPECT_TRUE(IsEmpty(r.Default()));
  EXPECT_FALSE(r.LastError().has_value());
  // Without a root there is no key at all.
  EXPECT_FALSE(r.KeyExists());
  EXPECT_TRUE(IsEmpty(r.Value()));
}

TEST_F(ClsRegistryTest, ErrorSourceIsTheProgramNameWithTheClassName) {
  EXPECT_EQ(Source(), "test_registry.cRegistry");
}

// KeyExists

TEST_F(ClsRegistryTest, KeyExistsReportsWhetherTheKeyOpens) {
  clsRegistry r;
  r.SetClassKey(kClassesRoot);
  EXPECT_TRUE(r.KeyExists());  // the root itself
  r.SetSectionKey(".dll");
  EXPECT_TRUE(r.KeyExists());
  r.SetSectionKey("dllfile\\shell\\Register");
  EXPECT_FALSE(r.KeyExists());
  r.SetSectionKey("\\.dll");
  EXPECT_FALSE(r.KeyExists());
  EXPECT_TRUE(r.Errors().empty());
}

// CreateKey

TEST_F(ClsRegistryTest, CreateKeyMakesTheWholePath) {
  clsRegistry r = At("One\\Two\\Three");
  EXPECT_TRUE(r.CreateKey());
  EXPECT_TRUE(r.KeyExists());
  EXPECT_TRUE(r.CreateKey());  // existing: opened, still true
  EXPECT_TRUE(r.Errors().empty());
}

TEST_F(ClsRegistryTest, CreateKeyFailureRecordsErrorOne) {
  clsRegistry r = At("Bad\\\\Path");
  EXPECT_FALSE(r.CreateKey());
  ExpectError(r, 26001, "Failed to create registry Key: 'Software\\Bad\\\\Path");
}

// DeleteKey

TEST_F(ClsRegistryTest, DeleteKeyOfAKeyWithSubKeysRecordsErrorTwo) {
  ASSERT_EQ(Put(kHKeyClassesRoot, "dllfile\\shell\\Register\\command", "", kRegSz, Bytes("x")), 0);
  clsRegistry r;
  r.SetClassKey(kClassesRoot);
  r.SetSectionKey("dllfile\\shell\\Register");
  EXPECT_FALSE(r.DeleteKey());
  ExpectError(r, 26001,
              "Failed to delete registry Key: '-2147483648',Section: 'dllfile\\shell\\Register");
  EXPECT_TRUE(r.KeyExists());
  r.SetSectionKey("dllfile\\shell\\Register\\command");
  EXPECT_TRUE(r.DeleteKey());
  r.SetSectionKey("dllfile\\shell\\Register");
  EXPECT_TRUE(r.DeleteKey());
  EXPECT_FALSE(r.KeyExists());
  EXPECT_EQ(r.Errors().size(), 1u);
}

TEST_F(ClsRegistryTest, DeleteKeyOfAMissingKeyFails) {
  clsRegistry r = At("Missing");
  EXPECT_FALSE(r.DeleteKey());
  ExpectError(r, 26001, "Failed to delete registry Key: '-2147483647',Section: 'Software\\Missing");
}

// DeleteValue

TEST_F(ClsRegistryTest, DeleteValueRemovesOnlyThatValue) {
  ASSERT_EQ(Put(kHKeyCurrentUser, "Software\\DV", "a", kRegSz, Bytes("1")), 0);
  ASSERT_EQ(Put(kHKeyCurrentUser, "Software\\DV", "b", kRegSz, Bytes("2")), 0);
  clsRegistry r = At("DV", "A");
  EXPECT_TRUE(r.DeleteValue());
  EXPECT_FALSE(ValueExists("DV", "a"));
  EXPECT_TRUE(ValueExists("DV", "b"));
  EXPECT_TRUE(r.Errors().empty());
}

TEST_F(ClsRegistryTest, DeleteValueFailuresRecordErrorsThreeAndFour) {
  clsRegistry r = At("NoSuchKey", "v");
  EXPECT_FALSE(r.DeleteValue());
  ExpectError(r, 26001,
              "Failed to open key '-2147483647',Section: 'Software\\NoSuchKey' for delete access");
  ASSERT_EQ(Put(kHKeyCurrentUser, "Software\\DV", "a", kRegSz, Bytes("1")), 0);
  r.SetSectionKey("Software\\DV");
  r.SetValueKey("nope");
  EXPECT_FALSE(r.DeleteValue());
  ExpectError(r, 26001,
              "Failed to delete registry Key: '-2147483647',Section: 'Software\\DV',Key: 'nope");
  EXPECT_EQ(r.Errors().size(), 2u);
  EXPECT_EQ(r.Errors()[0].Description().substr(0, 15), "Failed to open ");
}

// Reading Value

TEST_F(ClsRegistryTest, ReadingAMissingKeyOrValueGivesDefaultAndKeepsTheType) {
  clsRegistry r = At("Nothing", "v");
  r.SetValueType(4);
  EXPECT_TRUE(IsEmpty(r.Value()));
  EXPECT_EQ(r.ValueType(), 4);
  ASSERT_EQ(Put(kHKeyCurrentUser, "Software\\Nothing", "other", kRegSz, Bytes("x")), 0);
  r.SetDefault(std::string("fallback"));
  EXPECT_EQ(r.Value(), RegValue(std::string("fallback")));
  EXPECT_EQ(r.ValueType(), 4);
  EXPECT_TRUE(r.Errors().empty());  // reads record nothing
}

TEST_F(ClsRegistryTest, StringValuesLoseTheirLastByte) {
  clsRegistry used;
  EXPECT_EQ(ReadRaw(kRegSz, Bytes(std::string("dllfile", 8)), &used),
            RegValue(std::string("dllfile")));
  EXPECT_EQ(used.ValueType(), 1);
  EXPECT_EQ(ReadRaw(kRegSz, Bytes("abc")), RegValue(std::string("ab")));  // no NUL stored
  EXPECT_EQ(ReadRaw(kRegSz, Bytes(std::string(1, '\0'))), RegValue(std::string()));
  EXPECT_EQ(ReadRaw(kRegSz, {}), RegValue(std::string()));
  EXPECT_EQ(ReadRaw(kRegSz, Bytes(std::string("Grüße", 8))), RegValue(std::string("Grüße")));
  EXPECT_EQ(ReadRaw(kRegMultiSz, Bytes(std::string("a\0b\0\0", 5)), &used),
            RegValue(std::string("a\0b\0", 4)));
  EXPECT_EQ(used.ValueType(), 7);
}

TEST_F(ClsRegistryTest, ExpandableStringsAreExpanded) {
  ScopedEnv root("SystemRoot", "C:\\WINDOWS");
  clsRegistry used;
  EXPECT_EQ(ReadRaw(kRegExpandSz, Bytes(std::string("%SystemRoot%\\system32\0", 22)), &used),
            RegValue(std::string("C:\\WINDOWS\\system32")));
  EXPECT_EQ(used.ValueType(), 2);
  EXPECT_EQ(ReadRaw(kRegExpandSz, Bytes(std::string("%KORVANE_NOT_SET%\0", 18))),
            RegValue(std::string("%KORVANE_NOT_SET%")));
}

TEST_F(ClsRegistryTest, NumbersReadAsSignedIntegers) {
  clsRegistry used;
  EXPECT_EQ(ReadRaw(kRegDword, {5, 0, 0, 0}, &used), RegValue(std::int32_t{5}));
  EXPECT_EQ(used.ValueType(), 4);
  EXPECT_EQ(ReadRaw(kRegDword, {0xFF, 0xFF, 0xFF, 0xFF}), RegValue(std::int32_t{-1}));
  EXPECT_EQ(ReadRaw(kRegDwordBigEndian, {1, 2, 3, 4}, &used), RegValue(std::int32_t{0x01020304}));
  EXPECT_EQ(used.ValueType(), 5);
  EXPECT_EQ(ReadRaw(kRegDwordBigEndian, {0x80, 0, 0, 1}),
            RegValue(static_cast<std::int32_t>(0x80000001u)));
}

TEST_F(ClsRegistryTest, OtherTypesReadAsExactByteArrays) {
  clsRegistry used;
  const std::vector<std::uint8_t> bytes = {0, 1, 2, 0xFE, 0};
  EXPECT_EQ(ReadRaw(kRegBinary, bytes, &used), RegValue(bytes));
  EXPECT_EQ(used.ValueType(), 3);
  EXPECT_EQ(ReadRaw(kRegNone, {}), RegValue(std::vector<std::uint8_t>{}));
  EXPECT_EQ(ReadRaw(kRegLink, {7, 8}), RegValue(std::vector<std::uint8_t>{7, 8}));
  EXPECT_EQ(ReadRaw(kRegQword, {1, 2, 3, 4, 5, 6, 7, 8}, &used),
            RegValue(std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(used.ValueType(), 11);
}

// Writing Value

TEST_F(ClsRegistryTest, AWriteOnANewObjectCreatesTheKeyButNoValue) {
  clsRegistry r = At("Fresh\\Key", "v");
  r.SetValue(std::string("text"));
  EXPECT_TRUE(r.KeyExists());
  EXPECT_FALSE(ValueExists("Fresh\\Key", "v"));
  ExpectError(r, -2147194455,
              "Failed to set registry value Key: '-2147483647',Section: 'Software\\Fresh\\Key',"
              "Key: 'v' to value: 'text'");
}

TEST_F(ClsRegistryTest, PercentSignsChooseBetweenPlainAndExpandableStrings) {
  struct Case {
    std::int32_t type;
    const char* text;
    std::uint32_t stored;
  };
  const Case cases[] = {
      {2, "%1", kRegSz},
      {2, "\"C:\\k.exe\" -r \"%1\"", kRegSz},
      {2, "100%%", kRegSz},
      {1, "%TEMP%\\x", kRegExpandSz},
      {1, "%a%", kRegExpandSz},
      {1, "a%%b%", kRegExpandSz},
      {1, "plain", kRegSz},
      {2, "", kRegSz},
  };
  for (const Case& c : cases) {
    clsRegistry r = At("Strings", "v");
    r.SetValueType(c.type);
    r.SetValue(std::string(c.text));
    ExpectStored("Strings", "v", c.stored, Bytes(std::string(c.text) + '\0'));
    EXPECT_EQ(r.ValueType(), c.type) << c.text;  // a write never changes the type
    EXPECT_TRUE(r.Errors().empty()) << c.text;
  }
}

TEST_F(ClsRegistryTest, StringWritesTakeAnyValueAsText) {
  clsRegistry r = At("Strings", "n");
  r.SetValueType(1);
  r.SetValue(std::int32_t{42});
  ExpectStored("Strings", "n", kRegSz, Bytes(std::string("42", 3)));
  r.SetValue(RegValue{});
  ExpectStored("Strings", "n", kRegSz, Bytes(std::string(1, '\0')));
}

TEST_F(ClsRegistryTest, DwordWritesTakeOnlyIntegers) {
  clsRegistry r = At("Numbers", "v");
  r.SetValueType(4);
  r.SetValue(std::string("5"));
  EXPECT_FALSE(ValueExists("Numbers", "v"));
  EXPECT_TRUE(r.Errors().empty());
  r.SetValue(std::int32_t{5});
  ExpectStored("Numbers", "v", kRegDword, {5, 0, 0, 0});
  r.SetValue(std::int16_t{-2});
  ExpectStored("Numbers", "v", kRegDword, {0xFE, 0xFF, 0xFF, 0xFF});
  r.SetValue(std::vector<std::uint8_t>{1, 2, 3, 4});
  ExpectStored("Numbers", "v", kRegDword, {0xFE, 0xFF, 0xFF, 0xFF});
  EXPECT_TRUE(r.Errors().empty());
}

TEST_F(ClsRegistryTest, BigEndianValuesAreWrittenBackAsPlainDwords) {
  ASSERT_EQ(Put(kHKeyCurrentUser, "Software\\Big", "v", kRegDwordBigEndian, {1, 2, 3, 4}), 0);
  clsRegistry r = At("Big", "v");
  const RegValue v = r.Value();
  EXPECT_EQ(r.ValueType(), 5);
  r.SetValue(v);
  ExpectStored("Big", "v", kRegDword, {4, 3, 2, 1});
  EXPECT_EQ(r.Value(), RegValue(std::int32_t{0x01020304}));
  EXPECT_EQ(r.ValueType(), 4);
}

TEST_F(ClsRegistryTest, BinaryWritesTakeOnlyByteArrays) {
  clsRegistry r = At("Bin", "v");
  r.SetValueType(3);
  r.SetValue(std::vector<std::uint8_t>{0, 9, 0});
  ExpectStored("Bin", "v", kRegBinary, {0, 9, 0});
  r.SetValue(std::vector<std::uint8_t>{});
  ExpectStored("Bin", "v", kRegBinary, {});
  EXPECT_TRUE(r.Errors().empty());
  r.SetValue(std::string("not bytes"));
  ExpectStored("Bin", "v", kRegBinary, {});  // unchanged
  ASSERT_EQ(r.Errors().size(), 1u);           // error 6 only: the write as such succeeded
  ExpectError(r, 26001, "Application-defined or object-defined error");
}

TEST_F(ClsRegistryTest, UnsupportedTypesRecordErrorSeven) {
  for (std::int32_t type : {0, 6, 7, 8, 11}) {
    clsRegistry r = At("Unsupported", "v");
    r.SetValueType(type);
    r.SetValue(std::string("x"));
    EXPECT_FALSE(ValueExists("Unsupported", "v")) << type;
    ExpectError(r, -2147194455,
                "Failed to set registry value Key: '-2147483647',Section: 'Software\\Unsupported',"
                "Key: 'v' to value: 'x'");
  }
}

TEST_F(ClsRegistryTest, AKeyThatCannotBeCreatedRecordsErrorFive) {
  clsRegistry r;
  r.SetClassKey(kClassesRoot);
  r.SetSectionKey("\\shell\\Register\\command");
  r.SetValueType(1);
  r.SetValue(std::int16_t{12});
  ExpectError(r, 26001,
              "Failed to set registry value Key: '-2147483648',Section: '\\shell\\Register\\command'"
              ",Key: '' to value: '12'");
  EXPECT_EQ(r.Errors().size(), 1u);
}

TEST_F(ClsRegistryTest, TheDefaultValueIsReadAndWrittenUnderTheEmptyName) {
  clsRegistry r;
  r.SetClassKey(kClassesRoot);
  r.SetSectionKey(".ocx");
  EXPECT_EQ(r.Value(), RegValue(std::string("ocxfile")));
  r.SetValue(std::string("otherfile"));
  EXPECT_EQ(r.Value(), RegValue(std::string("otherfile")));
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
  ASSERT_EQ(Get(kHKeyClassesRoot, ".ocx", "", &type, &data), 0);
  EXPECT_EQ(data, Bytes(std::string("otherfile", 10)));
}

// EnumerateValues

TEST_F(ClsRegistryTest, EnumerateValuesListsNamesFromIndexOne) {
  std::vector<std::string> names = {"stale"};
  std::int32_t count = 7;
  clsRegistry r = At("Nope");
  EXPECT_TRUE(r.EnumerateValues(names, count));
  EXPECT_EQ(count, 0);
  EXPECT_TRUE(names.empty());

  for (const char* name : {"zulu", "", "Alpha", "a much longer value name"}) {
    ASSERT_EQ(Put(kHKeyCurrentUser, "Software\\EV", name, kRegSz, Bytes("x")), 0);
  }
  r.SetSectionKey("Software\\EV");
  EXPECT_TRUE(r.EnumerateValues(names, count));
  ASSERT_EQ(count, 4);
  ASSERT_EQ(names.size(), 5u);
  EXPECT_EQ(names[1], "zulu");
  EXPECT_EQ(names[2], "");
  EXPECT_EQ(names[3], "Alpha");
  EXPECT_EQ(names[4], "a much longer value name");
}

// EnumerateSections

TEST_F(ClsRegistryTest, EnumerateSectionsListsSubKeysFromIndexOne) {
  std::vector<std::string> names = {"stale"};
  std::int32_t count = 3;
  clsRegistry r = At("Nope");
  EXPECT_TRUE(r.EnumerateSections(names, count));
  EXPECT_EQ(count, 0);
  EXPECT_TRUE(names.empty());

  for (const char* name : {"b", "C", "a"}) {
    ASSERT_EQ(Put(kHKeyCurrentUser, std::string("Software\\ES\\") + name, "", kRegSz, {}), 0);
  }
  r.SetSectionKey("Software\\ES");
  EXPECT_TRUE(r.EnumerateSections(names, count));
  EXPECT_EQ(count, 3);
  EXPECT_EQ(names, (std::vector<std::string>{"", "a", "b", "C"}));
}

TEST_F(ClsRegistryTest, EnumerateSectionsListsNamesOfFullLength) {
  const std::string longest(255, 'z');
  ASSERT_EQ(Put(kHKeyCurrentUser, "Software\\Long\\" + longest, "", kRegSz, {}), 0);
  ASSERT_EQ(Put(kHKeyCurrentUser, "Software\\Long\\short", "", kRegSz, {}), 0);
  clsRegistry r = At("Long");
  std::vector<std::string> names;
  std::int32_t count = 0;
  EXPECT_TRUE(r.EnumerateSections(names, count));
  ASSERT_EQ(count, 2);
  EXPECT_EQ(names[1], "short");
  EXPECT_EQ(names[2], longest);
}

// A sub-key enumeration that breaks at its second name, remembering the key.
HKey g_enumeratedKey = 0;
long BreakingEnumerator(std::uintptr_t key, std::uint32_t index, std::string* name,
                        std::uint32_t /*maxChars*/) {
  g_enumeratedKey = key;
  if (index > 0) throw std::runtime_error("The enumeration broke down");
  *name = "first";
  return kErrorSuccess;
}

TEST_F(ClsRegistryTest, AFailingEnumerationIsRaisedAsErrorEight) {
  ASSERT_EQ(Put(kHKeyCurrentUser, "Software\\ES\\x", "", kRegSz, {}), 0);
  SetSectionEnumeratorForTesting(&BreakingEnumerator);
  clsRegistry r = At("ES");
  std::vector<std::string> names;
  std::int32_t count = 0;
  try {
    r.EnumerateSections(names, count);
    ADD_FAILURE() << "no error raised";
  } catch (const VbError& e) {
    EXPECT_EQ(e.Number(), -2147194454);
    EXPECT_EQ(e.Source(), Source());
    EXPECT_EQ(e.Description(), "The enumeration broke down");
  }
  SetSectionEnumeratorForTesting(nullptr);
  ExpectError(r, -2147194454, "The enumeration broke down");
  // The key was closed before the error left the class.
  ASSERT_NE(g_enumeratedKey, 0u);
  EXPECT_EQ(RegCloseKey(g_enumeratedKey), kErrorInvalidHandle);
}

TEST_F(ClsRegistryTest, OperationsLeaveNoKeyOpen) {
  ASSERT_EQ(Put(kHKeyCurrentUser, "Software\\Open\\sub", "v", kRegSz, Bytes("x")), 0);
  clsRegistry r = At("Open", "v");
  std::vector<std::string> names;
  std::int32_t count = 0;
  r.KeyExists();
  r.CreateKey();
  r.Value();
  r.SetValueType(1);
  r.SetValue(std::string("y"));
  r.EnumerateValues(names, count);
  r.EnumerateSections(names, count);
  r.DeleteValue();
  // Every handle was given back, so the next open gets the first slot again.
  HKey probe = 0;
  ASSERT_EQ(RegOpenKeyEx(kHKeyCurrentUser, "", kKeyQueryValue, &probe), 0);
  EXPECT_EQ(probe, 1u);
  RegCloseKey(probe);
}

// An unreadable registry keeps the results of the rules above, and says so
// apart from them: a missing key is no failure, an unreadable store is.
TEST_F(ClsRegistryTest, AnUnreadableRegistryIsToldApartFromAMissingKey) {
  clsRegistry r = At("Missing", "v");
  EXPECT_FALSE(r.KeyExists());
  EXPECT_FALSE(r.RegistryFailure().has_value());

  const std::string junk = Dir().Write("junk.db", std::string(4096, 'x'));
  ScopedEnv env("KORVANE_REGISTRY", junk);
  std::vector<std::string> names;
  std::int32_t count = 0;
  const std::function<void()> operations[] = {
      [&] { EXPECT_FALSE(r.KeyExists()); },
      [&] { EXPECT_TRUE(IsEmpty(r.Value())); },
      [&] { EXPECT_TRUE(r.EnumerateSections(names, count)); },
      [&] { EXPECT_TRUE(r.EnumerateValues(names, count)); },
  };
  for (const auto& operation : operations) {
    operation();
    ASSERT_TRUE(r.RegistryFailure().has_value());
    EXPECT_EQ(r.RegistryFailure()->Number(), kErrorRegistryCorrupt);
    EXPECT_NE(r.RegistryFailure()->Description().find(junk), std::string::npos);
  }
  EXPECT_EQ(count, 0);
  EXPECT_TRUE(r.Errors().empty()) << "no numbered error for it";
}

}  // namespace
}  // namespace korvane::test
