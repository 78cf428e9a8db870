// The full MSFT reader on damaged copies of rich.idl's library: every offset
// it follows, pointed outside its table, is an error naming what was wrong;
// loops in type descriptions and custom-data chains end in an error too.

#include <gtest/gtest.h>

#include <functional>

#include "TestFiles.h"
#include "formats/TypeLibModel.h"

namespace korvane::formats {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::PutU16;
using test::PutU32;

using test::U32At;

// Where the library's structures lie, found with the format's own offsets.
struct Layout {
  explicit Layout(const Bytes& b) : bytes(b), directory(test::MsftDirectoryAt(b)) {}
  std::size_t Segment(int index) const { return U32At(bytes, directory + 16 * static_cast<std::size_t>(index)); }
  std::size_t TypeInfo(int index) const { return Segment(0) + 0x64 * static_cast<std::size_t>(index); }
  // The file offset of a type info's member record number n.
  std::size_t Record(int type, int n) const {
    std::size_t at = U32At(bytes, TypeInfo(type) + 0x04) + 4;
    for (int i = 0; i < n; ++i) at += U32At(bytes, at) & 0xFFFF;
    return at;
  }

  const Bytes& bytes;
  std::size_t directory;
};

// Type infos of rich.idl, in file order.
constexpr int kShade = 0;
constexpr int kPair = 1;
constexpr int kPairPointer = 4;
constexpr int kFunctions = 5;
constexpr int kPlain = 6;
constexpr int kThing = 9;
constexpr std::uint32_t kOutside = 0x7FFFFFF0;

struct Damage {
  const char* what;
  std::function<void(Bytes&, const Layout&)> apply;
  const char* message;  // part of the error's message
};

TEST(MsftLibraryDamage, EveryFollowedOffsetIsChecked) {
  const Bytes whole = test::ReadBytes(KORVANE_FIXTURE_RICH32_TLB);
  ASSERT_TRUE(ReadMsftTypeLibrary(whole));
  const auto field = [](int type, std::size_t at, std::uint32_t value) {
    return [=](Bytes& b, const Layout& l) { PutU32(b, l.TypeInfo(type) + at, value); };
  };
  const Damage cases[] = {
      {"type name", field(kPair, 0x34, kOutside), "name entry lies outside"},
      {"type help string", field(kShade, 0x3C, kOutside), "string entry lies outside"},
      {"type GUID", field(kShade, 0x2C, kOutside), "GUID entry lies outside"},
      {"type custom data", field(kShade, 0x48, kOutside), "custom-data entry lies outside"},
      {"member block", field(kShade, 0x04, kOutside), "member block"},
      {"type kind", field(kShade, 0x00, 0x9), "type kind 9"},
      {"alias type", field(kPairPointer, 0x54, kOutside), "type description lies outside"},
      {"module DLL name", field(kFunctions, 0x54, kOutside), "string entry lies outside"},
      {"coclass interfaces", field(kThing, 0x54, kOutside), "implemented-interface record lies outside"},
      {"imported base", field(kPlain, 0x54, kOutside | 1), "import info lies outside"},
      {"local base", field(kPlain, 0x54, 0x64 * 100), "names no type info"},
      {"library custom data", [](Bytes& b, const Layout&) { PutU32(b, 0x40, kOutside); },
       "custom-data entry lies outside"},
      {"custom-data loop",
       [](Bytes& b, const Layout& l) {
         const std::uint32_t head = U32At(b, 0x40);
         PutU32(b, l.Segment(12) + head + 8, head);
       },
       "longer than"},
      {"type description loop",
       [](Bytes& b, const Layout& l) {
         const std::uint32_t entry = U32At(b, l.TypeInfo(kPairPointer) + 0x54);  // a pointer's entry
         PutU32(b, l.Segment(9) + entry + 4, entry);
       },
       "contains itself"},
      {"array dimensions", [](Bytes& b, const Layout& l) { PutU16(b, l.Segment(10) + 4, 65); }, "65 dimensions"},
      {"array bounds", [](Bytes& b, const Layout& l) { PutU16(b, l.Segment(10) + 4, 60); },
       "array bounds lies outside"},
      {"record size", [](Bytes& b, const Layout& l) { PutU16(b, l.Record(kShade, 0), 0xFFFF); }, "has the size"},
      {"record too small", [](Bytes& b, const Layout& l) { PutU16(b, l.Record(kPlain, 0), 8); }, "has the size"},
      {"parameter count", [](Bytes& b, const Layout& l) { PutU16(b, l.Record(kPlain, 0) + 20, 1000); },
       "do not fit"},
      {"parameter name",
       [](Bytes& b, const Layout& l) {
         const std::size_t record = l.Record(kPlain, 0);
         PutU32(b, record + (U32At(b, record) & 0xFFFF) - 12 + 4, kOutside);
       },
       "name entry lies outside"},
      // A user-defined type needs its type reference, which a VARTYPE stored
      // on its own cannot carry.
      {"plain user-defined parameter",
       [](Bytes& b, const Layout& l) {
         const std::size_t record = l.Record(kPlain, 0);
         PutU32(b, record + (U32At(b, record) & 0xFFFF) - 12, 0x8000001D);
       },
       "without its type reference"},
      {"plain user-defined pointer element",
       [](Bytes& b, const Layout& l) {
         const std::uint32_t entry = U32At(b, l.TypeInfo(kPairPointer) + 0x54);
         PutU32(b, l.Segment(9) + entry + 4, 0x8000001D);
       },
       "without its type reference"},
      {"function kinds", [](Bytes& b, const Layout& l) { b[l.Record(kPlain, 0) + 16] = 0x1F; }, "kinds word"},
      {"stored constant", [](Bytes& b, const Layout& l) { PutU32(b, l.Record(kShade, 1) + 16, kOutside); },
       "value lies outside"},
      {"import file name", [](Bytes& b, const Layout& l) { PutU16(b, l.Segment(2) + 12, 0xFFFC); },
       "import file name lies outside"},
  };
  for (const Damage& d : cases) {
    Bytes damaged = whole;
    const Layout layout(damaged);
    d.apply(damaged, layout);
    const auto read = ReadMsftTypeLibrary(damaged);
    if (read) {
      ADD_FAILURE() << d.what << ": read without an error";
      continue;
    }
    EXPECT_EQ(read.error().kind, ErrorKind::kBadTypeLib) << d.what;
    EXPECT_NE(read.error().message.find(d.message), std::string::npos) << d.what << ": " << read.error().message;
  }
}

// widl writes a library that imports itself with no GUID entry for the
// import; the loader takes it, so the reader must too.
TEST(MsftLibraryDamage, AnImportWithoutGuidReadsAsNoGuid) {
  Bytes b = test::ReadBytes(KORVANE_FIXTURE_RICH32_TLB);
  const auto whole = ReadMsftTypeLibrary(b);
  ASSERT_TRUE(whole);
  ASSERT_FALSE(whole->imports.empty());
  PutU32(b, Layout(b).Segment(2), 0xFFFFFFFF);
  const auto read = ReadMsftTypeLibrary(b);
  ASSERT_TRUE(read) << read.error().message;
  EXPECT_EQ(read->imports[0].guid, Guid{});
  EXPECT_EQ(read->types, whole->types);
}

// Only a module's functions have a DLL entry point; in other records that
// slot holds -1 or whatever the writer left there, here a string's offset.
TEST(MsftLibraryDamage, EntrySlotOutsideModulesIsIgnored) {
  Bytes b = test::ReadBytes(KORVANE_FIXTURE_RICH32_TLB);
  const auto whole = ReadMsftTypeLibrary(b);
  ASSERT_TRUE(whole);
  const std::size_t take = Layout(b).Record(kPlain, 0);
  constexpr std::size_t kHelpStringSlot = 24 + 4;
  constexpr std::size_t kEntrySlot = 24 + 8;
  ASSERT_GE(U32At(b, take) & 0xFFFF, kEntrySlot + 4);
  ASSERT_EQ(whole->types[kPlain].functions[0].helpString, "Takes all");
  PutU32(b, take + kEntrySlot, U32At(b, take + kHelpStringSlot));
  const auto read = ReadMsftTypeLibrary(b);
  ASSERT_TRUE(read) << read.error().message;
  EXPECT_EQ(read->types, whole->types);
}

TEST(MsftLibraryDamage, TruncationIsAnErrorOrChangesNothing) {
  const Bytes whole = test::ReadBytes(KORVANE_FIXTURE_RICH64_TLB);
  const auto full = ReadMsftTypeLibrary(whole);
  ASSERT_TRUE(full);
  std::size_t read = 0;
  for (std::size_t size = 0; size < whole.size(); ++size) {
    const auto cut = ReadMsftTypeLibrary(std::span(whole.data(), size));
    if (cut) {
      ++read;
      EXPECT_EQ(*cut, *full) << size;
    } else {
      EXPECT_FALSE(cut.error().message.empty());
    }
  }
  // The member blocks lie at the end of the data: every cut loses some.
  EXPECT_EQ(read, 0u);
}

}  // namespace
}  // namespace korvane::formats
