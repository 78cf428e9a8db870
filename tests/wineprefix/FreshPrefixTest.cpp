// One prefix made by wineboot during the run (about 20 s; skipped without
// Wine): its real files read completely, and the registry functions answer
// from them.

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "formats/TextCodec.h"
#include "formats/WineRegistryFile.h"
#include "platform/Registry.h"
#include "platform/posix/WinePrefixRegistry.h"
#include "support/TempDir.h"
#include "wineprefix/FreshPrefix.h"

namespace korvane {
namespace {

using namespace formats;
using namespace platform;

std::vector<std::uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void ExpectTheFilesRead(const std::string& prefix) {
  const Expected<WineRegistryFile> machine = ParseWineRegistryFile(ReadAll(prefix + "/system.reg"));
  ASSERT_TRUE(machine) << machine.error().message;
  EXPECT_EQ(machine->relativeTo, "REGISTRY\\Machine");
  EXPECT_GT(machine->keys.size(), 10000u);
  std::size_t links = 0;
  bool sawExpand = false, sawMulti = false, sawDword = false, sawBinary = false, sawTypeLib = false;
  for (const WineRegKey& k : machine->keys) {
    links += k.link ? 1 : 0;
    // Wine spells it "Typelib".
    if (k.path.size() > 3 && EqualsIgnoringAsciiCase(k.path[1], "Classes") &&
        EqualsIgnoringAsciiCase(k.path[2], "TypeLib")) {
      sawTypeLib = true;
    }
    for (const WineRegValue& v : k.values) {
      sawExpand |= v.type == kRegExpandSz;
      sawMulti |= v.type == kRegMultiSz;
      sawDword |= v.type == kRegDword && v.data.size() == 4;
      sawBinary |= v.type == kRegBinary;
    }
  }
  EXPECT_GT(links, 0u);
  EXPECT_TRUE(sawExpand);
  EXPECT_TRUE(sawMulti);
  EXPECT_TRUE(sawDword);
  EXPECT_TRUE(sawBinary);
  EXPECT_TRUE(sawTypeLib);

  const Expected<WineRegistryFile> user = ParseWineRegistryFile(ReadAll(prefix + "/user.reg"));
  ASSERT_TRUE(user) << user.error().message;
  EXPECT_EQ(user->relativeTo.rfind("REGISTRY\\User\\S-", 0), 0u) << user->relativeTo;
  EXPECT_EQ(user->arch, machine->arch);
  const Expected<WineRegistryFile> defaults = ParseWineRegistryFile(ReadAll(prefix + "/userdef.reg"));
  ASSERT_TRUE(defaults) << defaults.error().message;
  EXPECT_EQ(defaults->relativeTo, "REGISTRY\\User\\.Default");
}

// The standard OLE library is registered for both platforms, and also seen
// through the 32-bit branch's link to the shared TypeLib key.
void ExpectTheStandardOleLibrary(const std::string& prefix) {
  test::ScopedEnv store("KORVANE_REGISTRY", "");
  test::ScopedEnv chosen("WINEPREFIX", prefix);
  const std::string lib = "TypeLib\\{00020430-0000-0000-C000-000000000046}\\2.0\\0\\";
  for (const std::string& path : {lib + "win64", "Wow6432Node\\" + lib + "win32"}) {
    HKey key = 0;
    ASSERT_EQ(RegOpenKeyEx(kHKeyClassesRoot, path, kKeyRead, &key), kErrorSuccess) << path;
    std::uint8_t buffer[512];
    std::uint32_t size = sizeof buffer;
    ASSERT_EQ(RegQueryValueEx(key, "", nullptr, buffer, &size), kErrorSuccess);
    const std::string value(reinterpret_cast<char*>(buffer), size - 1);
    EXPECT_NE(value.find("stdole2.tlb"), std::string::npos) << value;
    RegCloseKey(key);
  }
  posix::WinePrefixRegistry::Instance().Reset();
}

TEST(FreshPrefix, ItsFilesReadAndTheRegistryAnswersFromThem) {
  std::string why;
  const std::string& prefix = test::FreshPrefix(&why);
  if (prefix.empty()) GTEST_SKIP() << why;
  ExpectTheFilesRead(prefix);
  ExpectTheStandardOleLibrary(prefix);
}

}  // namespace
}  // namespace korvane
