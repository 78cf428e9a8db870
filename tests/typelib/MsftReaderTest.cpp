// The MSFT reader on libraries made by the IDL compiler, and on damaged data.

#include <gtest/gtest.h>

#include <random>

#include "TestFiles.h"
#include "formats/TypeLib.h"

namespace korvane::formats {
namespace {

using test::MustRead;
using test::PutU32;
using test::ReadBytes;

constexpr const char* kAlphaGuid = "{6B1E9C40-2F5A-4C11-9D3E-7A10B2C3D4E5}";

TEST(MsftReader, ReadsLibraryAttributesOfBothPlatforms) {
  const auto alpha32 = MustRead(ReadTypeLib(ReadBytes(KORVANE_FIXTURE_ALPHA32_TLB)));
  EXPECT_EQ(alpha32.format, TypeLibFormat::Msft);
  EXPECT_EQ(alpha32.name, "KorvaneAlpha");
  EXPECT_EQ(alpha32.helpString, "Korvane Alpha Library");
  EXPECT_EQ(GuidToRegistryText(alpha32.guid), kAlphaGuid);
  EXPECT_EQ(alpha32.majorVersion, 1);
  EXPECT_EQ(alpha32.minorVersion, 10);
  EXPECT_EQ(alpha32.lcid, 0u);  // no lcid attribute: the library reports locale 0
  EXPECT_EQ(alpha32.sysKind, kSysWin32);

  const auto alpha64 = MustRead(ReadTypeLib(ReadBytes(KORVANE_FIXTURE_ALPHA64_TLB)));
  EXPECT_EQ(alpha64.sysKind, kSysWin64);
  EXPECT_EQ(alpha64.name, alpha32.name);
  EXPECT_EQ(alpha64.guid, alpha32.guid);
}

TEST(MsftReader, LibraryWithOwnLocaleAndNoHelpString) {
  const auto beta = MustRead(ReadTypeLib(ReadBytes(KORVANE_FIXTURE_BETA64_TLB)));
  EXPECT_EQ(beta.name, "KorvaneBeta");
  EXPECT_EQ(beta.helpString, "");
  EXPECT_EQ(beta.lcid, 0x409u);
  EXPECT_EQ(beta.majorVersion, 3);
  EXPECT_EQ(beta.minorVersion, 2);
  EXPECT_EQ(GuidToRegistryText(beta.guid), "{0F3C2A10-9B8E-4D7C-A6B5-C4D3E2F1A0B9}");
}

TEST(GuidText, RegistryFormUpperCaseWithBraces) {
  // IDispatch: data1..data3 are stored little-endian, the last 8 bytes as they are.
  const Guid dispatch = {0x00, 0x04, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                         0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
  EXPECT_EQ(GuidToRegistryText(dispatch), "{00020400-0000-0000-C000-000000000046}");
  const Guid mixed = {0xEF, 0xCD, 0xAB, 0x89, 0x67, 0x45, 0x23, 0x01,
                      0xfe, 0xdc, 0xba, 0x98, 0x76, 0x54, 0x32, 0x10};
  EXPECT_EQ(GuidToRegistryText(mixed), "{89ABCDEF-4567-0123-FEDC-BA9876543210}");
}

TEST(MsftReader, RefusesWhatIsNoTypeLibrary) {
  EXPECT_FALSE(ReadTypeLib(std::vector<std::uint8_t>{}));
  EXPECT_FALSE(ReadTypeLib(std::vector<std::uint8_t>{'M', 'S', 'F'}));
  const std::vector<std::uint8_t> text = {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'};
  EXPECT_FALSE(ReadTypeLib(text));
  EXPECT_FALSE(IsTypeLibData(text));
}

TEST(MsftReader, TruncationIsAnErrorOrChangesNothing) {
  const auto whole = ReadBytes(KORVANE_FIXTURE_ALPHA32_TLB);
  const auto full = MustRead(ReadTypeLib(whole));
  const std::size_t directoryEnd = 0x54 + 4 * whole[0x20] + 15 * 16;
  ASSERT_GT(whole.size(), directoryEnd);
  std::size_t readable = 0;
  for (std::size_t size = 0; size < whole.size(); ++size) {
    const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
    const auto attr = ReadTypeLib(cut);
    if (!attr) {
      EXPECT_EQ(readable, 0u) << "a longer prefix failed after a shorter one was read: " << size;
      continue;
    }
    // Only bytes that no table uses may be cut off.
    EXPECT_GE(size, directoryEnd);
    EXPECT_EQ(attr->name, full.name);
    EXPECT_EQ(attr->helpString, full.helpString);
    EXPECT_EQ(attr->guid, full.guid);
    ++readable;
  }
  EXPECT_LT(readable, whole.size() - directoryEnd);
}

TEST(MsftReader, BadOffsetsAndCountsAreErrors) {
  const auto whole = ReadBytes(KORVANE_FIXTURE_ALPHA32_TLB);
  struct Damage {
    std::size_t at;
    std::uint32_t value;
    const char* what;
  };
  const Damage damages[] = {
      {0x04, 0x00010001, "format version"},
      {0x08, 0x7FFFFFF0, "GUID offset far outside"},
      {0x08, 0xFFFFFFF0, "negative GUID offset"},
      {0x20, 0x7FFFFFFF, "huge type-info count"},
      {0x20, 0x80000000, "negative type-info count"},
      {0x24, 0x00FFFFFF, "help string outside the string table"},
      {0x38, 0x7FFFFFFF, "name outside the name table"},
      {0x38, 0xFFFFFFFF, "no name"},
  };
  for (const auto& d : damages) {
    auto bytes = whole;
    PutU32(bytes, d.at, d.value);
    EXPECT_FALSE(ReadTypeLib(bytes)) << d.what;
  }
}

TEST(MsftReader, DamagedSegmentDirectoryIsAnError) {
  auto bytes = ReadBytes(KORVANE_FIXTURE_ALPHA32_TLB);
  const std::uint32_t typeInfos = bytes[0x20];
  const std::size_t directory = 0x54 + 4 * typeInfos;
  auto marker = bytes;
  PutU32(marker, directory + 12, 0x0E);  // the fixed 0x0F marker of the first entry
  EXPECT_FALSE(ReadTypeLib(marker));
  auto outside = bytes;
  PutU32(outside, directory + 16 * 8 + 4, 0x7FFFFFFF);  // string table length
  EXPECT_FALSE(ReadTypeLib(outside));
}

TEST(MsftReader, HelpStringDllFlagWithoutItsWordStillFindsTheDirectory) {
  auto bytes = ReadBytes(KORVANE_FIXTURE_ALPHA32_TLB);
  const std::uint32_t varFlags = bytes[0x14] | (bytes[0x15] << 8);
  PutU32(bytes, 0x14, varFlags | 0x100);
  const auto attr = MustRead(ReadTypeLib(bytes));
  EXPECT_EQ(attr.name, "KorvaneAlpha");
  EXPECT_EQ(attr.sysKind, kSysWin32);
}

TEST(MsftReader, NameBytesAreWindows1252) {
  auto bytes = ReadBytes(KORVANE_FIXTURE_ALPHA32_TLB);
  const auto attr = MustRead(ReadTypeLib(bytes));
  // Put 0xE9 (e acute) and 0x80 (euro sign) over the first two letters of the name.
  const std::string raw(bytes.begin(), bytes.end());
  const std::size_t at = raw.find("KorvaneAlpha");
  ASSERT_NE(at, std::string::npos);
  bytes[at] = 0xE9;
  bytes[at + 1] = 0x80;
  EXPECT_EQ(MustRead(ReadTypeLib(bytes)).name, "\xC3\xA9\xE2\x82\xAC" + attr.name.substr(2));
}

TEST(MsftReader, RandomDamageNeverEscapesAsAnotherFailure) {
  const auto whole = ReadBytes(KORVANE_FIXTURE_BETA64_TLB);
  std::mt19937 random(20261207);
  std::uniform_int_distribution<std::size_t> position(0, whole.size() - 1);
  std::uniform_int_distribution<int> value(0, 255);
  int readable = 0;
  int refused = 0;
  for (int round = 0; round < 3000; ++round) {
    auto bytes = whole;
    const int flips = 1 + round % 8;
    for (int f = 0; f < flips; ++f) bytes[position(random)] = static_cast<std::uint8_t>(value(random));
    if (ReadTypeLib(bytes)) {
      ++readable;
    } else {
      ++refused;
    }
  }
  EXPECT_GT(readable, 0);
  EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace korvane::formats
