// Every length and offset check of the MSFT and SLTG readers, at the limit,
// one byte short of it and one byte over. The outcome is the error message,
// which names the structure that did not fit, or "ok" and the library name:
// a check weakened or tightened by one byte changes one of them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SltgBuilder.h"
#include "TestFiles.h"
#include "formats/TypeLib.h"
#include "support/Boundary.h"

namespace korvane::formats {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::PutU16;
using test::PutU32;

using test::U32At;

std::string Describe(const Bytes& data) {
  const auto attr = ReadTypeLib(data);
  return attr ? "ok " + attr->name : attr.error().message;
}

void ExpectAtLimits(const std::vector<test::Boundary>& cases) {
  test::ExpectAtLimits(cases, Describe, test::Match::kPart);
}

// Where the fields of an MSFT library lie, read with the format's own offsets.
struct MsftLayout {
  std::size_t directory = 0;  // the segment directory
  std::uint32_t posGuid = 0;
  std::uint32_t name = 0;
  std::uint32_t helpString = 0;

  explicit MsftLayout(const Bytes& b)
      : directory(0x54 + 4 * U32At(b, 0x20)), posGuid(U32At(b, 0x08)), name(U32At(b, 0x38)),
        helpString(U32At(b, 0x24)) {}
  std::size_t Entry(int segment) const { return directory + 16 * static_cast<std::size_t>(segment); }
  std::uint32_t Offset(const Bytes& b, int segment) const { return U32At(b, Entry(segment)); }
};

constexpr int kSegTypeInfos = 0;
constexpr int kSegGuids = 5;
constexpr int kSegNames = 7;
constexpr int kSegStrings = 8;

TEST(TypeLibBoundary, MsftChecksAtTheirLimits) {
  const Bytes whole = test::ReadBytes(KORVANE_FIXTURE_ALPHA32_TLB);
  const MsftLayout at(whole);
  ASSERT_EQ(U32At(whole, at.Entry(0) + 12), 0x0Fu) << "the directory is where the test expects it";
  const std::uint32_t nameLength = whole[at.Offset(whole, kSegNames) + at.name + 8];
  const std::uint32_t helpLength = whole[at.Offset(whole, kSegStrings) + at.helpString] |
                                   (whole[at.Offset(whole, kSegStrings) + at.helpString + 1] << 8);
  ASSERT_GT(nameLength, 1u);
  ASSERT_GT(helpLength, 1u);
  // The data with one segment's length (or offset) set.
  const auto withSegment = [&](int segment, std::size_t field, std::int64_t value) {
    Bytes b = whole;
    PutU32(b, at.Entry(segment) + field, static_cast<std::uint32_t>(value));
    return b;
  };
  const auto length = [&](int segment, std::int64_t value) { return withSegment(segment, 4, value); };

  // A header and a directory of absent segments, nothing else.
  Bytes bare(whole.begin(), whole.begin() + 0x54);
  PutU32(bare, 0x08, 0xFFFFFFFFu);  // no GUID
  PutU32(bare, 0x20, 0);            // no type infos
  for (int i = 0; i < 15; ++i) {
    const Bytes entry = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F, 0, 0, 0};
    bare.insert(bare.end(), entry.begin(), entry.end());
  }

  ExpectAtLimits({
      {"the header is 0x54 bytes",
       [&](int d) { return Bytes(bare.begin(), bare.begin() + 0x54 + d); },
       "MSFT header", "segment directory", "segment directory"},
      {"the type-info offsets fit in the data",
       [&](int d) {
         Bytes b = whole;
         PutU32(b, 0x20, static_cast<std::uint32_t>((whole.size() - 0x54) / 4 + d));
         return b;
       },
       "segment directory", "segment directory", "type-info count"},
      {"the segment directory fits in the data",
       [&](int d) {
         Bytes b = bare;
         b.resize(bare.size() + d);
         return b;
       },
       "segment directory", "name entry", "name entry"},
      {"a segment ends inside the data",
       [&](int d) {
         const std::int64_t size = U32At(whole, at.Entry(kSegTypeInfos) + 4);
         return withSegment(kSegTypeInfos, 0, static_cast<std::int64_t>(whole.size()) - size + d);
       },
       "ok KorvaneAlpha", "ok KorvaneAlpha", "segment directory"},
      {"the name entry lies inside the name table",
       [&](int d) { return length(kSegNames, at.name + 12 + d); },
       "MSFT name entry lies outside", "MSFT name lies outside", "MSFT name lies outside"},
      {"the name lies inside the name table",
       [&](int d) { return length(kSegNames, at.name + 12 + nameLength + d); },
       "MSFT name lies outside", "ok KorvaneAlpha", "ok KorvaneAlpha"},
      {"the name entry starts inside the name table",
       [&](int d) {
         Bytes b = whole;
         PutU32(b, 0x38, U32At(whole, at.Entry(kSegNames) + 4) + static_cast<std::uint32_t>(d));
         return b;
       },
       "MSFT name entry lies outside", "MSFT name entry lies outside", "MSFT name entry lies outside"},
      {"an absent name table holds no name",
       [&](int d) {
         // Offset -1 marks the table absent whatever its recorded length.
         Bytes b = withSegment(kSegNames, 0, -1 + d);
         PutU32(b, at.Entry(kSegNames) + 4, 0x40);
         PutU32(b, 0x38, 4);
         return b;
       },
       "directory", "MSFT name entry lies outside", "ok "},
      {"the help string's length lies inside the string table",
       [&](int d) { return length(kSegStrings, at.helpString + 2 + d); },
       "MSFT string entry lies outside", "MSFT string lies outside", "MSFT string lies outside"},
      {"the help string lies inside the string table",
       [&](int d) { return length(kSegStrings, at.helpString + 2 + helpLength + d); },
       "MSFT string lies outside", "ok KorvaneAlpha", "ok KorvaneAlpha"},
      {"the GUID lies inside the GUID table",
       [&](int d) { return length(kSegGuids, at.posGuid + 16 + d); },
       "MSFT library GUID lies outside", "ok KorvaneAlpha", "ok KorvaneAlpha"},
  });
}

// Where the parts of data made by BuildSltg lie (the builder's layout).
struct SltgParts {
  std::size_t library = 0;      // the library block
  std::size_t helpFile = 0;     // the help file's counted text
  std::size_t attributes = 0;   // the fixed fields after it
  std::size_t firstRecord = 0;  // the first per-type record
  std::size_t recordsEnd = 0;   // after the last record
  std::size_t nameTable = 0;
  std::size_t name = 0;         // the library's name
};

SltgParts PartsOf(const test::SltgFixture& f, const Bytes& data) {
  SltgParts p;
  p.library = test::LayoutOf(f).libraryBlock;
  p.helpFile = p.library + 8 + 2 + f.helpString.size();
  p.attributes = p.helpFile + 2;
  p.firstRecord = p.attributes + 34 + 0x40;
  std::size_t record = p.firstRecord;
  for (const auto& type : f.typeNames) record += 2 + 2 + type.size() + 2 + 2 + 2 + 2 + 9 + 26;
  p.recordsEnd = record;
  p.nameTable = p.library + U32At(data, p.recordsEnd + 2);
  std::size_t names = 0;
  for (const auto& type : f.typeNames) names += type.size() + 1;
  p.name = p.nameTable + 0x218 + names;
  return p;
}

test::SltgFixture Sample() {
  test::SltgFixture f;
  f.name = "OldLib";
  f.helpString = "Old help";
  f.typeNames = {"IOne", "ITwo", "CThree"};
  return f;
}

TEST(TypeLibBoundary, SltgChecksAtTheirLimits) {
  const test::SltgFixture fixture = Sample();
  const Bytes whole = test::BuildSltg(fixture);
  const SltgParts parts = PartsOf(fixture, whole);
  ASSERT_EQ(Describe(whole), "ok OldLib");
  ASSERT_EQ(std::string(whole.begin() + static_cast<std::ptrdiff_t>(parts.name),
                        whole.begin() + static_cast<std::ptrdiff_t>(parts.name) + 6),
            "OldLib");
  const std::size_t entries = test::LayoutOf(fixture).blockEntries;
  const std::size_t lastEntry = entries + 8 * fixture.typeNames.size();  // the library block's entry
  // With the library block's recorded length 0 its fields are checked one by
  // one; the data is cut `at` bytes in.
  const auto cut = [&](std::size_t at) {
    Bytes b = whole;
    b.resize(at);  // a zero byte beyond the end when the limit is the end
    if (b.size() >= lastEntry + 4) PutU32(b, lastEntry, 0);
    return b;
  };
  const auto cutAt = [&](std::size_t limit) { return [&cut, limit](int d) { return cut(limit + d); }; };
  const std::size_t blocksStart = entries + 8 * (fixture.typeNames.size() + 1) + U32At(whole, 0x08) % 0x10000 + 9;
  const std::size_t secondRecord = parts.firstRecord + 2 + 2 + 4 + 2 + 2 + 2 + 2 + 9 + 26;

  ExpectAtLimits({
      {"the header is 0x24 bytes", cutAt(0x24), "SLTG header", "SLTG block entries", "SLTG block entries"},
      {"the block entries and index strings fit", cutAt(blocksStart), "SLTG block entries",
       "SLTG library block", "SLTG library block"},
      {"the library block's first words fit", cutAt(parts.library + 8), "SLTG library block",
       "SLTG help string", "SLTG help string"},
      {"the help string fits", cutAt(parts.helpFile), "SLTG help string", "SLTG help file", "SLTG help file"},
      {"the help file fits", cutAt(parts.attributes), "SLTG help file", "SLTG library attributes",
       "SLTG library attributes"},
      {"the library attributes fit", cutAt(parts.attributes + 34), "SLTG library attributes",
       "SLTG type name", "SLTG type name"},
      {"a type's first name fits", cutAt(parts.firstRecord + 2 + 2 + 4), "SLTG type name",
       "SLTG second type name", "SLTG second type name"},
      {"a type's second name fits", cutAt(parts.firstRecord + 2 + 2 + 4 + 2), "SLTG second type name",
       "SLTG type help string", "SLTG type help string"},
      {"a type's help string fits", cutAt(parts.firstRecord + 2 + 2 + 4 + 2 + 4 + 2 + 9), "SLTG type help string",
       "SLTG type record", "SLTG type record"},
      {"a type record's fixed end fits", cutAt(secondRecord), "SLTG type record", "SLTG type name",
       "SLTG type name"},
      {"the name table's offset fits", cutAt(parts.recordsEnd + 2 + 4), "SLTG name-table distance",
       "SLTG name table", "SLTG name table"},
      {"the name table's marker fits", cutAt(parts.nameTable + 2), "SLTG name table", "SLTG library name",
       "SLTG library name"},
      {"the name ends with its NUL inside the data", cutAt(parts.name + 7), "SLTG library name", "ok OldLib",
       "ok OldLib"},
      {"the library block fits its recorded length",
       [&](int d) {
         Bytes b = whole;
         PutU32(b, lastEntry, static_cast<std::uint32_t>(whole.size() - parts.library + d));
         return b;
       },
       "ok OldLib", "ok OldLib", "SLTG library block"},
      {"the header counts at least one block",
       [&](int d) {
         test::SltgFixture f = fixture;
         f.typeNames.clear();
         Bytes b = test::BuildSltg(f);
         PutU16(b, 0x04, static_cast<std::uint16_t>(2 + d));
         return b;
       },
       "no blocks", "ok OldLib", "SLTG library block"},
      {"the chain starts at an existing block",
       [&](int d) {
         Bytes b = whole;
         PutU16(b, 0x0A, static_cast<std::uint16_t>(1 + d));
         return b;
       },
       "missing block", "ok OldLib", "wrong signature"},
      {"the chain names blocks up to the last entry",
       [&](int d) {
         Bytes b = whole;
         PutU16(b, 0x0A, static_cast<std::uint16_t>(fixture.typeNames.size() + 1 + d));
         // The bytes after the last entry read as one would end the chain.
         const std::size_t beyond = lastEntry + 8;
         std::fill_n(b.begin() + static_cast<std::ptrdiff_t>(beyond), 8, 0);
         return b;
       },
       "wrong signature", "wrong signature", "missing block"},
      {"a name is at most 65536 characters",
       [&](int d) {
         test::SltgFixture f = fixture;
         f.name.assign(static_cast<std::size_t>(0x10000 + d), 'n');
         return test::BuildSltg(f);
       },
       "ok nnn", "ok nnn", "unterminated"},
  });
}

}  // namespace
}  // namespace korvane::formats
