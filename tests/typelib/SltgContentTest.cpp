// The full SLTG reader on libraries made by the test builder: every type and
// member read back as written, and damaged data refused with a reason.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "SltgBuilder.h"
#include "SltgSample.h"
#include "TestFiles.h"
#include "formats/TypeLibModel.h"
#include "formats/TypeLibSltgText.h"
#include "platform/TypeLibFile.h"

namespace korvane::formats {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::PutU16;
using test::PutU32;
using test::SltgFixture;

std::uint32_t U32At(const Bytes& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24);
}

TypeLibrary MustReadAll(const Bytes& data) {
  auto read = ReadSltgTypeLibrary(data);
  if (!read) {
    ADD_FAILURE() << read.error().message;
    return {};
  }
  return std::move(*read);
}

TEST(SltgContent, ReadsEveryTypeAndMemberAsWritten) {
  const SltgFixture fixture = test::SampleSltgLibrary();
  const Bytes data = test::BuildSltg(fixture);
  const TypeLibrary lib = MustReadAll(data);

  EXPECT_EQ(lib.attributes, *ReadSltgTypeLib(data));
  EXPECT_EQ(lib.helpContext, fixture.helpContext);
  EXPECT_EQ(lib.imports, fixture.imports);
  ASSERT_EQ(lib.types.size(), fixture.types.size());
  for (std::size_t i = 0; i < lib.types.size(); ++i) {
    const TypeInfo& got = lib.types[i];
    const TypeInfo& want = fixture.types[i];
    SCOPED_TRACE(want.name);
    ASSERT_EQ(got.functions.size(), want.functions.size());
    for (std::size_t m = 0; m < got.functions.size(); ++m) {
      ASSERT_EQ(got.functions[m].params.size(), want.functions[m].params.size()) << want.functions[m].name;
      for (std::size_t p = 0; p < got.functions[m].params.size(); ++p) {
        EXPECT_EQ(got.functions[m].params[p], want.functions[m].params[p]) << want.functions[m].name << " #" << p;
      }
      EXPECT_EQ(got.functions[m], want.functions[m]) << want.functions[m].name;
    }
    ASSERT_EQ(got.variables.size(), want.variables.size());
    for (std::size_t m = 0; m < got.variables.size(); ++m) {
      EXPECT_EQ(got.variables[m], want.variables[m]) << want.variables[m].name;
    }
    EXPECT_EQ(got.implemented, want.implemented);
    EXPECT_EQ(got.aliasOf, want.aliasOf);
    EXPECT_EQ(got, want);
  }
}

TEST(SltgContent, LayoutVariantsReadTheSame) {
  const SltgFixture plain = test::SampleSltgLibrary();
  const TypeLibrary expected = MustReadAll(test::BuildSltg(plain));
  SltgFixture marker = plain;
  marker.nameTableMarker = true;
  SltgFixture reversed = plain;
  reversed.reverseEntries = true;
  EXPECT_EQ(MustReadAll(test::BuildSltg(marker)), expected);
  EXPECT_EQ(MustReadAll(test::BuildSltg(reversed)), expected);
  // Header-only types come before the full ones and shift local references.
  SltgFixture simple;
  simple.typeNames = {"A", "B"};
  const TypeLibrary two = MustReadAll(test::BuildSltg(simple));
  ASSERT_EQ(two.types.size(), 2u);
  EXPECT_EQ(two.types[1].name, "B");
  EXPECT_EQ(two.types[1].kind, TypeKind::kEnum);
  EXPECT_EQ(two.types[1].helpString, "type help");
}

TEST(SltgContent, ReadsTheLibraryInAPeResourceByItsSignature) {
  const auto lib = platform::ReadTypeLibraryFile(KORVANE_FIXTURE_SLTG_DLL, '/');
  ASSERT_TRUE(lib) << lib.error().message;
  EXPECT_EQ(lib->attributes.format, TypeLibFormat::Sltg);
  ASSERT_EQ(lib->types.size(), 2u);
  EXPECT_EQ(lib->types[0].name, "IOldOne");
  EXPECT_EQ(lib->types[1].name, "IOldTwo");
}

TEST(SltgContent, EveryTruncationIsAnError) {
  const Bytes whole = test::BuildSltg(test::SampleSltgLibrary());
  for (std::size_t size = 0; size < whole.size(); ++size) {
    const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
    EXPECT_FALSE(ReadSltgTypeLibrary(cut)) << "truncated to " << size;
  }
}

TEST(SltgContent, RandomDamageIsReadOrRefusedAsDamage) {
  int readable = 0;
  int refused = 0;
  test::ForRandomDamage(test::BuildSltg(test::SampleSltgLibrary()), 3000, [&](const Bytes& bytes) {
    const auto read = ReadSltgTypeLibrary(bytes);
    if (read) {
      ++readable;
      return;
    }
    ++refused;
    // Damage to the signature makes it no type library at all.
    if (read.error().kind != ErrorKind::kNotTypeLib) {
      EXPECT_EQ(read.error().kind, ErrorKind::kBadTypeLib) << read.error().message;
    }
  });
  EXPECT_GT(readable, 0);
  EXPECT_GT(refused, 0);
}

// Where the member data of type `index` starts in data built from fixture.
std::size_t MembersOf(const SltgFixture& fixture, const Bytes& data, int index) {
  const std::size_t block = test::LayoutOf(fixture).typeInfoBlocks.at(static_cast<std::size_t>(index));
  return block + U32At(data, block + 0x0A) + 9;
}

std::size_t Find(const Bytes& data, const std::string& text) {
  const auto it = std::search(data.begin(), data.end(), text.begin(), text.end());
  EXPECT_NE(it, data.end()) << text;
  return static_cast<std::size_t>(it - data.begin());
}

TEST(SltgContent, DamageIsAnErrorThatSaysWhat) {
  const SltgFixture fixture = test::SampleSltgLibrary();
  const Bytes whole = test::BuildSltg(fixture);
  const auto layout = test::LayoutOf(fixture);
  const auto block = [&](int i) { return layout.typeInfoBlocks.at(static_cast<std::size_t>(i)); };
  const auto members = [&](int i) { return MembersOf(fixture, whole, i); };
  // In the interface: one implemented type (0x16 bytes), then the functions (0x18 each).
  const std::size_t firstFunction = members(test::kSampleInterface) + 0x16;
  struct Case {
    const char* what;
    std::function<void(Bytes&)> damage;
    const char* message;
  };
  const Case cases[] = {
      {"type-info signature", [&](Bytes& b) { PutU16(b, block(0), 0x0502); }, "type-info block has a wrong signature"},
      {"type kind", [&](Bytes& b) { b[block(0) + 0x1D] = 8; }, "unknown kind"},
      {"member length", [&](Bytes& b) { PutU32(b, block(0) + U32At(b, block(0) + 0x0A) + 5, 0xFFFF); },
       "type-info tail"},
      {"reference-table signature", [&](Bytes& b) { b[block(test::kSampleRecord) + 0x22] = 0xDE; },
       "reference table has a wrong signature"},
      {"reference name", [&](Bytes& b) { b[Find(b, "*\\Rffff*#1") + 2] = 'Q'; }, "reference name is malformed"},
      {"local reference past the types", [&](Bytes& b) { b[Find(b, "*\\Rffff*#1") + 9] = 'f'; },
       "reference names a missing type"},
      {"imported library text", [&](Bytes& b) { b[Find(b, "*\\G{") + 3] = '('; }, "imported library is malformed"},
      {"function signature", [&](Bytes& b) { b[firstFunction] = 0x11; }, "function has a wrong signature"},
      {"invoke kind", [&](Bytes& b) { b[firstFunction + 1] = 0x32; }, "unknown invoke kind"},
      {"function chain shorter than its count",
       [&](Bytes& b) { PutU16(b, firstFunction + 0x18 + 2, 0xFFFF); }, "function chain ends before its count"},
      {"function chain in a loop", [&](Bytes& b) { PutU16(b, firstFunction + 2, 0x16); }, "function chain loops"},
      {"variable chain in a loop", [&](Bytes& b) { PutU16(b, members(test::kSampleEnum) + 2, 0); },
       "variable chain loops"},
      {"variable signature", [&](Bytes& b) { b[members(test::kSampleEnum)] = 0x0B; }, "variable has a wrong signature"},
      {"variable chain shorter than its count", [&](Bytes& b) { PutU16(b, members(test::kSampleEnum) + 2, 0xFFFF); },
       "variable chain ends before its count"},
      {"implemented type's reference", [&](Bytes& b) { PutU16(b, members(test::kSampleCoClass) + 0x0A, 9); },
       "implemented type names a missing reference"},
      {"implemented types in a loop", [&](Bytes& b) { PutU16(b, members(test::kSampleCoClass) + 0x16 + 2, 0); },
       "implemented-type chain loops"},
      // The alias's words: SAFEARRAY, its unused operand, USERDEFINED, reference * 4.
      {"type word's reference", [&](Bytes& b) { PutU16(b, members(test::kSampleAlias) + 6, 0x40); },
       "type names a missing reference"},
      {"parameter name at the table's start", [&](Bytes& b) {
         // Move's first parameter word.
         const std::size_t args = members(test::kSampleInterface) + U32At(b, firstFunction + 0x18 + 0x0E) % 0x10000;
         PutU16(b, args, 0);
       }, "parameter name lies before the name table"},
  };
  for (const auto& c : cases) {
    Bytes damaged = whole;
    c.damage(damaged);
    const auto read = ReadSltgTypeLibrary(damaged);
    if (read) {
      ADD_FAILURE() << c.what << ": read";
      continue;
    }
    EXPECT_EQ(read.error().kind, ErrorKind::kBadTypeLib) << c.what;
    EXPECT_NE(read.error().message.find(c.message), std::string::npos) << c.what << ": " << read.error().message;
  }
}

TEST(SltgText, ReferenceNames) {
  struct Case {
    const char* text;
    std::optional<std::pair<std::uint32_t, std::uint32_t>> parsed;
  };
  const Case cases[] = {
      {"*\\Rffff*#1a", std::pair<std::uint32_t, std::uint32_t>{0xFFFF, 0x1A}},
      {"*\\R2C*#0", std::pair<std::uint32_t, std::uint32_t>{0x2C, 0}},
      {"*\\Rffff#1", std::nullopt},
      {"*\\Rffff*#", std::nullopt},
      {"*\\Rffff*#1x", std::nullopt},
      {"*\\R123456789*#1", std::nullopt},
      {"\\Rffff*#1", std::nullopt},
  };
  for (const auto& c : cases) {
    const auto ref = sltg::ParseRefName(c.text);
    ASSERT_EQ(ref.has_value(), c.parsed.has_value()) << c.text;
    if (ref) {
      EXPECT_EQ(std::make_pair(ref->library, ref->index), *c.parsed) << c.text;
    }
  }
}

TEST(SltgText, ImportedLibraries) {
  const Guid stdole = {0x30, 0x04, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
  struct Case {
    const char* text;
    std::optional<ImportedLibrary> parsed;
  };
  const Case cases[] = {
      {"*\\G{00020430-0000-0000-C000-000000000046}#2.0#0#stdole2.tlb#",
       ImportedLibrary{stdole, 2, 0, 0, "stdole2.tlb"}},
      {"*\\G{00020430-0000-0000-c000-000000000046}#1.10#409#C:\\WINNT\\System32\\stdole32.tlb#",
       ImportedLibrary{stdole, 1, 10, 0x409, "C:\\WINNT\\System32\\stdole32.tlb"}},
      {"*\\G{00020430-0000-0000-C000-000000000046}#2.0#0#stdole2.tlb", std::nullopt},
      {"*\\G{00020430-0000-0000-C000-00000000004G}#2.0#0#stdole2.tlb#", std::nullopt},
      {"*\\G{00020430-0000-0000-C000-000000000046}#70000.0#0#stdole2.tlb#", std::nullopt},
      {"*\\G{00020430-0000-0000-C000-000000000046}#2#0#stdole2.tlb#", std::nullopt},
      {"*\\G{00020430-0000-0000-C000}#2.0#0#stdole2.tlb#", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(sltg::ParseImport(c.text), c.parsed) << c.text;
  }
}

TEST(SltgContent, LimitsHold) {
  // A C array without dimensions, and types nested past the depth limit.
  SltgFixture fixture;
  TypeInfo record;
  record.kind = TypeKind::kRecord;
  record.name = "R";
  TypeDesc noDims{vt::kCArray, {TypeDesc{vt::kI4, {}, {}, {}}}, {}, {}};
  Variable field;
  field.name = "f";
  field.type = noDims;
  record.variables = {field};
  fixture.types = {record};
  const auto dims = ReadSltgTypeLibrary(test::BuildSltg(fixture));
  ASSERT_FALSE(dims);
  EXPECT_NE(dims.error().message.find("bad number of dimensions"), std::string::npos) << dims.error().message;

  for (const int depth : {kMaxTypeDescDepth, kMaxTypeDescDepth + 1}) {
    TypeDesc nested{vt::kI4, {}, {}, {}};
    for (int i = 0; i < depth; ++i) nested = TypeDesc{vt::kSafeArray, {nested}, {}, {}};
    fixture.types[0].variables[0].type = nested;
    const auto read = ReadSltgTypeLibrary(test::BuildSltg(fixture));
    EXPECT_EQ(static_cast<bool>(read), depth <= kMaxTypeDescDepth) << depth;
  }
}

}  // namespace
}  // namespace korvane::formats
