// A library whose records hold one another by value, each the next, tens of
// thousands deep: read and written as IDL without running out of stack, with
// every record defined after the one it holds.

#include <gtest/gtest.h>

#include <sstream>

#include "TestFiles.h"
#include "formats/TypeLibModel.h"
#include "typelib/IdlWriter.h"

namespace korvane::typelib {
namespace {

using namespace formats;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kHeaderSize = 0x54;
constexpr std::size_t kSegmentCount = 15;
constexpr std::size_t kSegmentEntrySize = 16;
constexpr std::size_t kTypeInfoSize = 0x64;
constexpr std::size_t kTypeDescSize = 8;
constexpr std::size_t kFieldRecordSize = 20;
// A member block of one field: its length word, the record, then its id,
// name and record offset.
constexpr std::size_t kMemberBlockSize = 4 + kFieldRecordSize + 3 * 4;
constexpr std::uint32_t kAbsent = 0xFFFFFFFF;
constexpr std::uint32_t kPlainLong = 0x80000000u | vt::kI4;

void AppendU32(Bytes& b, std::uint32_t v) {
  b.resize(b.size() + 4);
  test::PutU32(b, b.size() - 4, v);
}

// An MSFT name entry (no hash chain), padded to four bytes.
std::uint32_t AddName(Bytes& names, const std::string& name) {
  const auto at = static_cast<std::uint32_t>(names.size());
  AppendU32(names, kAbsent);
  AppendU32(names, kAbsent);
  AppendU32(names, static_cast<std::uint32_t>(name.size()));
  names.insert(names.end(), name.begin(), name.end());
  names.resize((names.size() + 3) & ~std::size_t{3}, 0x57);
  return at;
}

// Records S0 .. S<count-1>: S<i> has one field holding S<i+1> by value, the
// last one a long. The file lists the outermost first, so writing them in
// order means following the whole chain from S0.
Bytes RecordChain(std::size_t count) {
  Bytes names;
  const std::uint32_t libraryName = AddName(names, "Deep");
  const std::uint32_t fieldName = AddName(names, "inner");
  std::vector<std::uint32_t> typeNames;
  for (std::size_t i = 0; i < count; ++i) typeNames.push_back(AddName(names, "S" + std::to_string(i)));
  Bytes typeDescs;  // entry i: VT_USERDEFINED naming type info i + 1
  for (std::size_t i = 0; i + 1 < count; ++i) {
    AppendU32(typeDescs, vt::kUserDefined);
    AppendU32(typeDescs, static_cast<std::uint32_t>((i + 1) * kTypeInfoSize));
  }

  const std::size_t typeInfosAt = kHeaderSize + 4 * count + kSegmentCount * kSegmentEntrySize;
  const std::size_t namesAt = typeInfosAt + kTypeInfoSize * count;
  const std::size_t typeDescsAt = namesAt + names.size();
  const std::size_t membersAt = typeDescsAt + typeDescs.size();
  Bytes b(membersAt + kMemberBlockSize * count, 0);
  test::PutU32(b, 0x00, 0x5446534D);  // "MSFT"
  test::PutU32(b, 0x04, 0x00010002);
  test::PutU32(b, 0x08, kAbsent);  // no GUID
  test::PutU32(b, 0x14, kSysWin32);
  test::PutU32(b, 0x20, static_cast<std::uint32_t>(count));
  for (std::size_t at : {0x24, 0x3C, 0x40, 0x4C}) test::PutU32(b, at, kAbsent);
  test::PutU32(b, 0x38, libraryName);
  const std::size_t directory = kHeaderSize + 4 * count;
  for (std::size_t s = 0; s < kSegmentCount; ++s) {
    const std::size_t entry = directory + s * kSegmentEntrySize;
    test::PutU32(b, entry, kAbsent);
    test::PutU32(b, entry + 8, kAbsent);
    test::PutU32(b, entry + 12, 0x0F);
  }
  const auto segment = [&](std::size_t index, std::size_t at, std::size_t length) {
    test::PutU32(b, directory + index * kSegmentEntrySize, static_cast<std::uint32_t>(at));
    test::PutU32(b, directory + index * kSegmentEntrySize + 4, static_cast<std::uint32_t>(length));
  };
  segment(0, typeInfosAt, kTypeInfoSize * count);
  segment(7, namesAt, names.size());
  segment(9, typeDescsAt, typeDescs.size());
  std::copy(names.begin(), names.end(), b.begin() + static_cast<std::ptrdiff_t>(namesAt));
  std::copy(typeDescs.begin(), typeDescs.end(), b.begin() + static_cast<std::ptrdiff_t>(typeDescsAt));

  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t info = typeInfosAt + i * kTypeInfoSize;
    const std::size_t block = membersAt + i * kMemberBlockSize;
    test::PutU32(b, info + 0x00, static_cast<std::uint32_t>(TypeKind::kRecord));
    test::PutU32(b, info + 0x04, static_cast<std::uint32_t>(block));
    test::PutU32(b, info + 0x18, 1u << 16);  // no functions, one variable
    for (std::size_t at : {0x2C, 0x3C, 0x48, 0x54}) test::PutU32(b, info + at, kAbsent);
    test::PutU32(b, info + 0x34, typeNames[i]);
    test::PutU32(b, info + 0x50, 4);
    test::PutU32(b, block, kFieldRecordSize);
    test::PutU32(b, block + 4, kFieldRecordSize);
    const bool last = i + 1 == count;
    test::PutU32(b, block + 8, last ? kPlainLong : static_cast<std::uint32_t>(i * kTypeDescSize));
    test::PutU32(b, block + 4 + kFieldRecordSize, 0x40000000);
    test::PutU32(b, block + 8 + kFieldRecordSize, fieldName);
  }
  return b;
}

TEST(DeepLibrary, RecordsHeldByValueTensOfThousandsDeepAreWrittenInnermostFirst) {
  constexpr std::size_t kDepth = 65000;
  const auto library = ReadMsftTypeLibrary(RecordChain(kDepth));
  ASSERT_TRUE(library) << library.error().message;
  ASSERT_EQ(library->types.size(), kDepth);
  EXPECT_EQ(library->types[0].variables.at(0).type.ref.localIndex, 1);

  const std::string idl = WriteIdl(*library, IdlOptions{});
  std::istringstream lines(idl);
  std::size_t expected = kDepth;
  for (std::string line; std::getline(lines, line);) {
    const std::string head = "    typedef struct S";
    if (line.compare(0, head.size(), head) != 0) continue;
    ASSERT_GT(expected, 0u) << line;
    --expected;
    ASSERT_EQ(line, head + std::to_string(expected) + " {");
  }
  EXPECT_EQ(expected, 0u) << "records missing from the IDL";
}

}  // namespace
}  // namespace korvane::typelib
