// The SLTG reader on data made by the test builder, whole and damaged.

#include <gtest/gtest.h>

#include "SltgBuilder.h"
#include "TestFiles.h"
#include "formats/TypeLib.h"

namespace korvane::formats {
namespace {

using test::BuildSltg;
using test::MustRead;
using test::PutU16;
using test::SltgFixture;

SltgFixture SampleFixture() {
  SltgFixture fixture;
  fixture.name = "OldStyleLib";
  fixture.helpString = "Old style library";
  fixture.guid = {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
  fixture.major = 2;
  fixture.minor = 12;
  fixture.lcid = 0x407;
  fixture.sysKind = 1;
  fixture.libFlags = kLibFlagControl | kLibFlagHidden;
  fixture.typeNames = {"IFirst", "ISecond", "CThird"};
  return fixture;
}

TEST(SltgReader, ReadsLibraryAttributes) {
  const auto attr = MustRead(ReadTypeLib(BuildSltg(SampleFixture())));
  EXPECT_EQ(attr.format, TypeLibFormat::Sltg);
  EXPECT_EQ(attr.name, "OldStyleLib");
  EXPECT_EQ(attr.helpString, "Old style library");
  EXPECT_EQ(GuidToRegistryText(attr.guid), "{76543210-BA98-FEDC-0123-456789ABCDEF}");
  EXPECT_EQ(attr.majorVersion, 2);
  EXPECT_EQ(attr.minorVersion, 12);
  EXPECT_EQ(attr.lcid, 0x407u);
  EXPECT_EQ(attr.sysKind, kSysWin32);
  EXPECT_EQ(attr.libFlags, kLibFlagControl | kLibFlagHidden);
}

TEST(SltgReader, LayoutVariants) {
  struct Variant {
    const char* what;
    void (*change)(SltgFixture&);
  };
  const Variant variants[] = {
      {"no types", [](SltgFixture& s) { s.typeNames.clear(); }},
      {"many types", [](SltgFixture& s) { s.typeNames.assign(40, "T"); }},
      {"name table marker", [](SltgFixture& s) { s.nameTableMarker = true; }},
      {"entries in reverse chain order", [](SltgFixture& s) { s.reverseEntries = true; }},
      {"no help string, a help file", [](SltgFixture& s) {
         s.hasHelpString = false;
         s.hasHelpFile = true;
         s.helpFile = "old.hlp";
       }},
      {"win16", [](SltgFixture& s) { s.sysKind = 0; }},
  };
  for (const auto& v : variants) {
    SltgFixture fixture = SampleFixture();
    v.change(fixture);
    const auto attr = MustRead(ReadTypeLib(BuildSltg(fixture)));
    EXPECT_EQ(attr.name, "OldStyleLib") << v.what;
    EXPECT_EQ(attr.helpString, fixture.hasHelpString ? fixture.helpString : "") << v.what;
    EXPECT_EQ(attr.helpFile, fixture.hasHelpFile ? fixture.helpFile : "") << v.what;
    EXPECT_EQ(attr.sysKind, fixture.sysKind) << v.what;
    EXPECT_EQ(attr.majorVersion, 2) << v.what;
  }
}

TEST(SltgReader, EveryTruncationIsAnError) {
  const auto whole = BuildSltg(SampleFixture());
  for (std::size_t size = 0; size < whole.size(); ++size) {
    const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
    EXPECT_FALSE(ReadTypeLib(cut)) << "truncated to " << size;
  }
}

TEST(SltgReader, BrokenBlockChainsAreErrors) {
  const SltgFixture fixture = SampleFixture();
  const auto whole = BuildSltg(fixture);
  const std::size_t entries = test::LayoutOf(fixture).blockEntries;
  const std::size_t blocks = fixture.typeNames.size() + 1;

  auto loop = whole;  // the last entry points back to the first
  PutU16(loop, entries + 8 * (blocks - 1) + 6, 1);
  EXPECT_FALSE(ReadTypeLib(loop));

  auto missing = whole;  // the first entry names a block that does not exist
  PutU16(missing, entries + 6, static_cast<std::uint16_t>(blocks + 5));
  EXPECT_FALSE(ReadTypeLib(missing));

  auto firstZero = whole;
  PutU16(firstZero, 0x0A, 0);
  EXPECT_FALSE(ReadTypeLib(firstZero));

  auto noBlocks = whole;
  PutU16(noBlocks, 0x04, 1);
  EXPECT_FALSE(ReadTypeLib(noBlocks));

  auto hugeLength = whole;  // a block longer than the data
  test::PutU32(hugeLength, entries, 0x7FFFFFFF);
  EXPECT_FALSE(ReadTypeLib(hugeLength));

  auto hugeIndex = whole;
  PutU16(hugeIndex, 0x08, 0xFFFF);
  EXPECT_FALSE(ReadTypeLib(hugeIndex));
}

TEST(SltgReader, DamagedLibraryBlockIsAnError) {
  const SltgFixture fixture = SampleFixture();
  const auto whole = BuildSltg(fixture);
  const std::size_t lib = test::LayoutOf(fixture).libraryBlock;
  ASSERT_EQ(whole[lib], 0xCC);
  ASSERT_EQ(whole[lib + 1], 0x51);

  auto signature = whole;
  PutU16(signature, lib, 0x1234);
  EXPECT_FALSE(ReadTypeLib(signature));

  auto nameOffset = whole;  // the name offset points past the end
  PutU16(nameOffset, lib + 4, 0xFFF0);
  EXPECT_FALSE(ReadTypeLib(nameOffset));

  auto helpLength = whole;  // a help string longer than the data
  PutU16(helpLength, lib + 8, 0xFFF0);
  EXPECT_FALSE(ReadTypeLib(helpLength));

  auto unterminated = whole;  // the name runs into the end of the data
  unterminated.pop_back();
  unterminated.push_back('x');
  EXPECT_FALSE(ReadTypeLib(unterminated));
}

}  // namespace
}  // namespace korvane::formats
