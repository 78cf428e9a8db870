// Values of every VARIANT type an MSFT library stores, inline or in its
// custom-data segment. The IDL compiler writes few of them, so rich.idl's
// library gets new custom-data segments appended, and its library-level
// custom data chain runs through them.

#include <gtest/gtest.h>

#include <bit>

#include "TestFiles.h"
#include "formats/TypeLibModel.h"

namespace korvane::formats {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t U32At(const Bytes& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

void Append16(Bytes& b, std::uint16_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Append32(Bytes& b, std::uint32_t v) {
  Append16(b, static_cast<std::uint16_t>(v));
  Append16(b, static_cast<std::uint16_t>(v >> 16));
}
void Append64(Bytes& b, std::uint64_t v) {
  Append32(b, static_cast<std::uint32_t>(v));
  Append32(b, static_cast<std::uint32_t>(v >> 32));
}

// One value: stored (VARTYPE, then payload) or inline (the encoded word).
struct Case {
  std::uint16_t type;
  Bytes payload;
  std::optional<std::uint32_t> inlineWord;
  Value expected;
};

Bytes Le32(std::uint32_t v) {
  Bytes b;
  Append32(b, v);
  return b;
}
Bytes Le64(std::uint64_t v) {
  Bytes b;
  Append64(b, v);
  return b;
}
std::uint32_t Inline(std::uint16_t type, std::uint32_t value) { return 0x80000000u | (type << 26) | value; }

// rich.idl's library with its library custom data replaced by the cases'
// values, in order; the segments are moved to the end of the data.
Bytes WithValues(const std::vector<Case>& cases, std::int32_t brokenLength = 0) {
  Bytes b = test::ReadBytes(KORVANE_FIXTURE_RICH32_TLB);
  const std::size_t directory = 0x54 + 4 * U32At(b, 0x20);
  const std::size_t customData = directory + 16 * 11;
  const std::size_t customGuids = directory + 16 * 12;
  // Every entry names the GUID the first original entry names.
  const std::uint32_t guid = U32At(b, U32At(b, customGuids) + U32At(b, 0x40));

  Bytes values;
  std::vector<std::uint32_t> refs;
  for (const Case& c : cases) {
    if (c.inlineWord) {
      refs.push_back(*c.inlineWord);
      continue;
    }
    refs.push_back(static_cast<std::uint32_t>(values.size()));
    Append16(values, c.type);
    values.insert(values.end(), c.payload.begin(), c.payload.end());
    while (values.size() % 4 != 0) values.push_back(0x57);
  }
  Bytes chain;
  for (std::size_t i = 0; i < refs.size(); ++i) {
    Append32(chain, guid);
    Append32(chain, refs[i]);
    Append32(chain, i + 1 < refs.size() ? static_cast<std::uint32_t>(12 * (i + 1)) : 0xFFFFFFFFu);
  }
  test::PutU32(b, customData, static_cast<std::uint32_t>(b.size()));
  test::PutU32(b, customData + 4, static_cast<std::uint32_t>(values.size()) + static_cast<std::uint32_t>(brokenLength));
  b.insert(b.end(), values.begin(), values.end());
  test::PutU32(b, customGuids, static_cast<std::uint32_t>(b.size()));
  test::PutU32(b, customGuids + 4, static_cast<std::uint32_t>(chain.size()));
  b.insert(b.end(), chain.begin(), chain.end());
  test::PutU32(b, 0x40, 0);
  return b;
}

TEST(MsftValues, EveryTypeStoredAndInline) {
  const Bytes decimal = {0x02, 0x80, 0x01, 0x00, 0x00, 0x00, 0x39, 0x30, 0, 0, 0, 0, 0, 0};
  const Bytes filetime = Le64(0x01D0000000000000ull);
  const std::vector<Case> cases = {
      {vt::kI1, Le32(0xFF), {}, Value{vt::kI1, std::int64_t{-1}}},
      {vt::kUi1, Le32(0xFF), {}, Value{vt::kUi1, std::uint64_t{255}}},
      {vt::kI2, Le32(0xFFFE), {}, Value{vt::kI2, std::int64_t{-2}}},
      {vt::kUi2, Le32(0xFFFE), {}, Value{vt::kUi2, std::uint64_t{65534}}},
      {vt::kI4, Le32(0xFFFFFFFF), {}, Value{vt::kI4, std::int64_t{-1}}},
      {vt::kUi4, Le32(0xFFFFFFFF), {}, Value{vt::kUi4, std::uint64_t{0xFFFFFFFF}}},
      {vt::kInt, Le32(0x80000000), {}, Value{vt::kInt, std::int64_t{-2147483647 - 1}}},
      {vt::kUint, Le32(0x80000000), {}, Value{vt::kUint, std::uint64_t{0x80000000}}},
      {vt::kBool, Le32(0xFFFF), {}, Value{vt::kBool, std::int64_t{-1}}},
      {vt::kError, Le32(0x80004005), {}, Value{vt::kError, std::int64_t{-2147467259}}},
      {vt::kR4, Le32(std::bit_cast<std::uint32_t>(1.5f)), {}, Value{vt::kR4, 1.5}},
      {vt::kR8, Le64(std::bit_cast<std::uint64_t>(-2.25)), {}, Value{vt::kR8, -2.25}},
      {vt::kDate, Le64(std::bit_cast<std::uint64_t>(45000.5)), {}, Value{vt::kDate, 45000.5}},
      {vt::kCy, Le64(static_cast<std::uint64_t>(-123456789)), {}, Value{vt::kCy, std::int64_t{-123456789}}},
      {vt::kI8, Le64(0x8000000000000000ull), {}, Value{vt::kI8, std::int64_t{INT64_MIN}}},
      {vt::kUi8, Le64(~0ull), {}, Value{vt::kUi8, ~std::uint64_t{0}}},
      {vt::kDecimal, decimal, {}, Value{vt::kDecimal, decimal}},
      {vt::kFiletime, filetime, {}, Value{vt::kFiletime, filetime}},
      {vt::kBstr, {5, 0, 0, 0, 'c', 'a', 'f', 0xE9, '!'}, {}, Value{vt::kBstr, std::string("caf\xC3\xA9!")}},
      {vt::kBstr, Le32(0xFFFFFFFF), {}, Value{vt::kBstr, std::string()}},
      {vt::kEmpty, Le32(0), {}, Value{vt::kEmpty, std::monostate{}}},
      // Inline: 26 bits of value, read as the VARTYPE reads its word.
      {vt::kI4, {}, Inline(vt::kI4, 0x3FFFFFF), Value{vt::kI4, std::int64_t{0x3FFFFFF}}},
      {vt::kI2, {}, Inline(vt::kI2, 0xFFFF), Value{vt::kI2, std::int64_t{-1}}},
      {vt::kUi1, {}, Inline(vt::kUi1, 0x1FF), Value{vt::kUi1, std::uint64_t{0xFF}}},
      {vt::kBool, {}, Inline(vt::kBool, 0xFFFF), Value{vt::kBool, std::int64_t{-1}}},
  };
  const auto lib = ReadMsftTypeLibrary(WithValues(cases));
  ASSERT_TRUE(lib) << lib.error().message;
  ASSERT_EQ(lib->custom.size(), cases.size());
  for (std::size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(lib->custom[i].value, cases[i].expected) << "case " << i;
}

TEST(MsftValues, ValueEndingAfterItsSegmentIsAnError) {
  const std::pair<Case, const char*> cases[] = {
      {{vt::kR8, Le32(0), {}, {}}, "value lies outside"},
      {{vt::kDecimal, Le64(0), {}, {}}, "value lies outside"},
      {{vt::kBstr, {9, 0, 0, 0, 'a', 'b'}, {}, {}}, "string value lies outside"},
      {{vt::kBstr, {0}, {}, {}}, "string value length lies outside"},
  };
  for (const auto& [c, message] : cases) {
    // The segment ends where the payload does, padding cut off.
    const std::int32_t cut = -static_cast<std::int32_t>((4 - (2 + c.payload.size()) % 4) % 4);
    const auto lib = ReadMsftTypeLibrary(WithValues({c}, cut));
    ASSERT_FALSE(lib) << message;
    EXPECT_NE(lib.error().message.find(message), std::string::npos) << lib.error().message;
  }
}

}  // namespace
}  // namespace korvane::formats
