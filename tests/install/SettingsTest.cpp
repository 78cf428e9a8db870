#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "install/Settings.h"
#include "registry/RegFileKeys.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

class SettingsStore : public ::testing::Test {
 protected:
  SettingsStore() : env_(std::make_unique<test::ScopedEnv>("KORVANE_REGISTRY", dir_.File("registry.db"))) {
    RegDeleteTree(kApp);  // a Windows build works on the machine's registry
  }
  ~SettingsStore() override { RegDeleteTree(kApp); }

  const formats::RegKeyName kApp{formats::RegRoot::CurrentUser, "Software\\VB and VBA Program Settings\\App"};
  test::TempDir dir_;
  std::unique_ptr<test::ScopedEnv> env_;
};

TEST_F(SettingsStore, KeepsStringsWhereVisualBasicProgramsKeepThem) {
  EXPECT_EQ(GetSetting("App", "Sec", "Key", "fallback"), "fallback");
  ASSERT_TRUE(SaveSetting("App", "Sec", "Key", "first value"));
  EXPECT_EQ(GetSetting("App", "Sec", "Key", "fallback"), "first value");
  ASSERT_TRUE(SaveSetting("App", "Sec", "Key", ""));
  EXPECT_EQ(GetSetting("App", "Sec", "Key", "fallback"), "");
  EXPECT_EQ(GetSetting("app", "SEC", "key", "fallback"), "") << "names ignore letter case";
  EXPECT_EQ(GetSetting("App", "Other", "Key", "fallback"), "fallback");

  RegFileValue stored;
  ASSERT_EQ(RegReadValue({formats::RegRoot::CurrentUser, "Software\\VB and VBA Program Settings\\App\\Sec"}, "Key",
                         &stored),
            platform::kErrorSuccess);
  EXPECT_EQ(stored.type, platform::kRegSz);
  EXPECT_EQ(stored.data, std::vector<std::uint8_t>{0});
}

TEST_F(SettingsStore, AValueThatIsNoStringReadsAsTheDefault) {
  formats::RegKeyName key{formats::RegRoot::CurrentUser, SettingsKeyPath("App", "Sec")};
  ASSERT_EQ(RegWriteValue(key, "Number", platform::kRegDword, {1, 0, 0, 0}), platform::kErrorSuccess);
  EXPECT_EQ(GetSetting("App", "Sec", "Number", "none"), "none");
  // A string written without its terminating NUL still reads whole.
  ASSERT_EQ(RegWriteValue(key, "Raw", platform::kRegSz, {'o', 'k'}), platform::kErrorSuccess);
  EXPECT_EQ(GetSetting("App", "Sec", "Raw", "none"), "ok");
}

}  // namespace
}  // namespace korvane
