// Shapes of real images that a strict reader might refuse but that are normal:
// COFF symbol tables, long section names, debug sections after the resources,
// overlays after the last section, long DOS stubs.

#include <gtest/gtest.h>

#include <string>

#include "ImageBuilder.h"
#include "formats/PeImage.h"
#include "inspection/clsFileInfo.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using test::Bytes;

std::uint32_t U32(const std::string& b, std::size_t at) {
  return static_cast<std::uint8_t>(b.at(at)) | (static_cast<std::uint8_t>(b.at(at + 1)) << 8) |
         (static_cast<std::uint8_t>(b.at(at + 2)) << 16) | (static_cast<std::uint32_t>(static_cast<std::uint8_t>(b.at(at + 3))) << 24);
}

TEST(NormalInput, FixtureHasSymbolsLongSectionNamesAndDebugSectionsAfterResources) {
  // Guards the fixture itself: these are the shapes the other tests rely on.
  const std::string bytes = test::ReadFile(std::string(KORVANE_VERSION_FIXTURES) + "/full64.dll");
  ASSERT_GT(bytes.size(), 0x200u);
  const std::size_t pe = U32(bytes, 0x3C);
  EXPECT_NE(U32(bytes, pe + 4 + 8), 0u) << "COFF symbol table";
  const std::size_t sections = static_cast<std::uint8_t>(bytes[pe + 6]) | (static_cast<std::uint8_t>(bytes[pe + 7]) << 8);
  const std::size_t optional = static_cast<std::uint8_t>(bytes[pe + 20]) | (static_cast<std::uint8_t>(bytes[pe + 21]) << 8);
  bool seenRsrc = false;
  bool longNameAfterRsrc = false;
  for (std::size_t i = 0; i < sections; ++i) {
    const std::string name = bytes.substr(pe + 24 + optional + i * 40, 8);
    if (name.starts_with(".rsrc")) seenRsrc = true;
    if (seenRsrc && name.starts_with("/")) longNameAfterRsrc = true;
  }
  EXPECT_TRUE(seenRsrc);
  EXPECT_TRUE(longNameAfterRsrc) << "a debug section with a long name after .rsrc";
}

TEST(NormalInput, OverlayAfterTheLastSection) {
  test::TempDir dir;
  std::string bytes = test::ReadFile(std::string(KORVANE_VERSION_FIXTURES) + "/full32.exe");
  ASSERT_FALSE(bytes.empty());
  bytes += std::string(70000, '\xAB');  // e.g. an installer's payload or a signature
  clsFileInfo info;
  info.SelectFile(dir.Write("overlay.exe", bytes));
  EXPECT_EQ(info.CompanyName, "Korvane Test Fixtures");
  EXPECT_EQ(info.FileVerEx, "1.0.40000.0");
}

TEST(NormalInput, LongDosStubBeforeThePeHeader) {
  const std::vector<test::BuiltResource> resources = {
      {formats::ResourceId::Number(formats::kRtVersion), formats::ResourceId::Number(1), 0x409,
       test::SimpleBlock({{"CompanyName", "Stubbed"}})}};
  for (std::size_t stub : {std::size_t{0x80}, std::size_t{0x1000}, std::size_t{0x4000}}) {
    SCOPED_TRACE(stub);
    const auto img = test::BuildImage(resources, false, stub);
    test::TempDir dir;
    clsFileInfo info;
    info.SelectFile(dir.Write("stub.dll", std::string(img.bytes.begin(), img.bytes.end())));
    EXPECT_EQ(info.CompanyName, "Stubbed");
    EXPECT_EQ(info.FileVerEx, "1.2.3.4");
  }
}

}  // namespace
}  // namespace korvane
