// The SLTG reader on data made by the test builder, whole and damaged.

#include <gtest/gtest.h>

#include "SltgBuilder.h"
#include "TestFiles.h"
#include "formats/TypeLib.h"

namespace korvane::formats {
namespace {

using test::BuildSltg;
using test::PutU16;
using test::SltgSpec;

SltgSpec SampleSpec() {
  SltgSpec spec;
  spec.name = "OldStyleLib";
  spec.helpString = "Old style library";
  spec.guid = {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
  spec.major = 2;
  spec.minor = 12;
  spec.lcid = 0x407;
  spec.sysKind = 1;
  spec.libFlags = kLibFlagControl | kLibFlagHidden;
  spec.typeNames = {"IFirst", "ISecond", "CThird"};
  return spec;
}

TEST(SltgReader, ReadsLibraryAttributes) {
  const auto attr = ReadTypeLib(BuildSltg(SampleSpec()));
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
    void (*change)(SltgSpec&);
  };
  const Variant variants[] = {
      {"no types", [](SltgSpec& s) { s.typeNames.clear(); }},
      {"many types", [](SltgSpec& s) { s.typeNames.assign(40, "T"); }},
      {"name table marker", [](SltgSpec& s) { s.nameTableMarker = true; }},
      {"entries in reverse chain order", [](SltgSpec& s) { s.reverseEntries = true; }},
      {"no help string, a help file", [](SltgSpec& s) {
         s.hasHelpString = false;
         s.hasHelpFile = true;
         s.helpFile = "old.hlp";
       }},
      {"win16", [](SltgSpec& s) { s.sysKind = 0; }},
  };
  for (const auto& v : variants) {
    SltgSpec spec = SampleSpec();
    v.change(spec);
    const auto attr = ReadTypeLib(BuildSltg(spec));
    EXPECT_EQ(attr.name, "OldStyleLib") << v.what;
    EXPECT_EQ(attr.helpString, spec.hasHelpString ? spec.helpString : "") << v.what;
    EXPECT_EQ(attr.helpFile, spec.hasHelpFile ? spec.helpFile : "") << v.what;
    EXPECT_EQ(attr.sysKind, spec.sysKind) << v.what;
    EXPECT_EQ(attr.majorVersion, 2) << v.what;
  }
}

TEST(SltgReader, EveryTruncationIsAnError) {
  const auto whole = BuildSltg(SampleSpec());
  for (std::size_t size = 0; size < whole.size(); ++size) {
    const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
    EXPECT_THROW(ReadTypeLib(cut), TypeLibError) << "truncated to " << size;
  }
}

TEST(SltgReader, BrokenBlockChainsAreErrors) {
  const SltgSpec spec = SampleSpec();
  const auto whole = BuildSltg(spec);
  const std::size_t entries = test::LayoutOf(spec).blockEntries;
  const std::size_t blocks = spec.typeNames.size() + 1;

  auto loop = whole;  // the last entry points back to the first
  PutU16(loop, entries + 8 * (blocks - 1) + 6, 1);
  EXPECT_THROW(ReadTypeLib(loop), TypeLibError);

  auto missing = whole;  // the first entry names a block that does not exist
  PutU16(missing, entries + 6, static_cast<std::uint16_t>(blocks + 5));
  EXPECT_THROW(ReadTypeLib(missing), TypeLibError);

  auto firstZero = whole;
  PutU16(firstZero, 0x0A, 0);
  EXPECT_THROW(ReadTypeLib(firstZero), TypeLibError);

  auto noBlocks = whole;
  PutU16(noBlocks, 0x04, 1);
  EXPECT_THROW(ReadTypeLib(noBlocks), TypeLibError);

  auto hugeLength = whole;  // a block longer than the data
  test::PutU32(hugeLength, entries, 0x7FFFFFFF);
  EXPECT_THROW(ReadTypeLib(hugeLength), TypeLibError);

  auto hugeIndex = whole;
  PutU16(hugeIndex, 0x08, 0xFFFF);
  EXPECT_THROW(ReadTypeLib(hugeIndex), TypeLibError);
}

TEST(SltgReader, DamagedLibraryBlockIsAnError) {
  const SltgSpec spec = SampleSpec();
  const auto whole = BuildSltg(spec);
  const std::size_t lib = test::LayoutOf(spec).libraryBlock;
  ASSERT_EQ(whole[lib], 0xCC);
  ASSERT_EQ(whole[lib + 1], 0x51);

  auto signature = whole;
  PutU16(signature, lib, 0x1234);
  EXPECT_THROW(ReadTypeLib(signature), TypeLibError);

  auto nameOffset = whole;  // the name offset points past the end
  PutU16(nameOffset, lib + 4, 0xFFF0);
  EXPECT_THROW(ReadTypeLib(nameOffset), TypeLibError);

  auto helpLength = whole;  // a help string longer than the data
  PutU16(helpLength, lib + 8, 0xFFF0);
  EXPECT_THROW(ReadTypeLib(helpLength), TypeLibError);

  auto unterminated = whole;  // the name runs into the end of the data
  unterminated.pop_back();
  unterminated.push_back('x');
  EXPECT_THROW(ReadTypeLib(unterminated), TypeLibError);
}

}  // namespace
}  // namespace korvane::formats
