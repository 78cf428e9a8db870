// The walk of VS_VERSIONINFO blocks, well-formed and damaged.

#include <gtest/gtest.h>

#include <string>

#include "ImageBuilder.h"
#include "formats/VersionBlock.h"
#include "formats/VersionLanguage.h"
#include "support/Boundary.h"

namespace korvane {
namespace {

using formats::VersionBlock;
using test::Bytes;
using test::Siblings;
using test::Text;
using test::VersionNode;

Bytes BlockOf(const std::vector<Bytes>& strings, const Bytes& before = {}) {
  const Bytes table = VersionNode("040904B0", {}, 1, Siblings(strings));
  std::vector<Bytes> top;
  if (!before.empty()) top.push_back(before);
  top.push_back(VersionNode("StringFileInfo", {}, 1, table));
  return VersionNode("VS_VERSION_INFO", test::FixedInfo(1, 2, 0, 0, 0, 0), 0, Siblings(top));
}

TEST(VersionBlock, StringsOfTheFirstTableInOrder) {
  const Bytes block = test::SimpleBlock({{"CompanyName", "A"}, {"Comments", "B"}, {"ProductName", ""}});
  const auto strings = VersionBlock(block).Strings();
  ASSERT_EQ(strings.size(), 3u);
  EXPECT_EQ(strings[0], (std::pair<std::string, std::string>{"CompanyName", "A"}));
  EXPECT_EQ(strings[1], (std::pair<std::string, std::string>{"Comments", "B"}));
  EXPECT_EQ(strings[2], (std::pair<std::string, std::string>{"ProductName", ""}));
  EXPECT_EQ(VersionBlock(block).StringValue("COMMENTS"), "B");
  EXPECT_EQ(VersionBlock(block).StringValue("Comment"), "");
}

TEST(VersionBlock, RootValueIsTheFixedBlock) {
  const Bytes block = test::SimpleBlock({}, test::FixedInfo(0x00018000, 0x9C400000, 0x3F, 0x40004, 3, 7));
  const auto root = VersionBlock(block).RootValue();
  ASSERT_TRUE(root);
  EXPECT_EQ(root->offset, 40u);  // 6 bytes of header and "VS_VERSION_INFO" with its NUL, aligned
  EXPECT_EQ(root->length, 52u);
  const auto info = formats::DecodeFixedFileInfo(std::span(block).subspan(root->offset, root->length));
  ASSERT_TRUE(info);
  EXPECT_EQ(info->signature, 0xFEEF04BDu);
  EXPECT_EQ(info->fileVersionMS, 0x00018000u);
  EXPECT_EQ(info->fileVersionLS, 0x9C400000u);
  EXPECT_EQ(info->fileFlags, 0x3Fu);
  EXPECT_EQ(info->fileOS, 0x40004u);
  EXPECT_EQ(info->fileSubtype, 7u);
  EXPECT_EQ(formats::DecodeFixedFileInfo(std::span(block).subspan(root->offset, 51)).error().kind,
            formats::ErrorKind::kBadVersionBlock);
}

TEST(VersionBlock, RootWithoutValue) {
  const Bytes block = VersionNode("VS_VERSION_INFO", {}, 0);
  EXPECT_EQ(VersionBlock(block).RootValue().error().kind, formats::ErrorKind::kNotFound);
  EXPECT_TRUE(VersionBlock(block).Strings().empty());
}

TEST(VersionBlock, VarFileInfoFirstAndTextOfTypeZero) {
  const Bytes var = VersionNode("VarFileInfo", {}, 1, VersionNode("Translation", Bytes{9, 4, 0xB0, 4}, 0));
  // Type 0 text with its length in characters, as Wine writes it.
  const Bytes company = VersionNode("CompanyName", Text("Wine"), 0, {}, 5);
  EXPECT_EQ(VersionBlock(BlockOf({company}, var)).StringValue("CompanyName"), "Wine");
}

TEST(VersionBlock, OnlyTheFirstStringTableCounts) {
  const Bytes first = VersionNode("040904B0", {}, 1, VersionNode("Comments", Text("first"), 1));
  const Bytes second = VersionNode("040704B0", {}, 1,
                                   Siblings({VersionNode("Comments", Text("second"), 1),
                                             VersionNode("CompanyName", Text("only here"), 1)}));
  const Bytes info = VersionNode("StringFileInfo", {}, 1, Siblings({first, second}));
  const Bytes block = VersionNode("VS_VERSION_INFO", test::FixedInfo(1, 2, 0, 0, 0, 0), 0, info);
  EXPECT_EQ(VersionBlock(block).StringValue("Comments"), "first");
  EXPECT_EQ(VersionBlock(block).StringValue("CompanyName"), "");
}

TEST(VersionBlock, ValueLengths) {
  struct Case {
    const char* what;
    Bytes node;
    const char* value;
  };
  const Case cases[] = {
      {"recorded length shorter than the text", VersionNode("Comments", Text("abcdef"), 1, {}, 3), "abc"},
      {"length 0", VersionNode("Comments", Text("abc"), 1, {}, 0), ""},
      {"length 0xFFFF clamped to the node", VersionNode("Comments", Text("abc"), 1, {}, 0xFFFF), "abc"},
      {"length in bytes", VersionNode("Comments", Text("abc"), 0, {}, 8), "abc"},
      {"no terminator", VersionNode("Comments", Bytes{'x', 0, 'y', 0}, 1), "xy"},
      {"NUL inside", VersionNode("Comments", Bytes{'x', 0, 0, 0, 'y', 0, 0, 0}, 1), "x"},
      {"odd byte count", VersionNode("Comments", Bytes{'x', 0, 'y'}, 0), "x"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(VersionBlock(BlockOf({c.node})).StringValue("Comments"), c.value);
  }
}

TEST(VersionBlock, NodeLengthsOfZeroAndBeyondTheParent) {
  Bytes zero = VersionNode("Comments", Text("lost"), 1);
  test::PutU16(zero, 0, 0);
  // A zero-length node ends the walk of its siblings; the ones before it stay.
  const Bytes block = BlockOf({VersionNode("CompanyName", Text("kept"), 1), zero,
                               VersionNode("ProductName", Text("after"), 1)});
  EXPECT_EQ(VersionBlock(block).StringValue("CompanyName"), "kept");
  EXPECT_EQ(VersionBlock(block).StringValue("ProductName"), "");

  Bytes huge = BlockOf({VersionNode("CompanyName", Text("clamped"), 1)});
  test::PutU16(huge, 0, 0xFFFF);
  EXPECT_EQ(VersionBlock(huge).StringValue("CompanyName"), "clamped");

  Bytes rootZero = BlockOf({VersionNode("CompanyName", Text("x"), 1)});
  test::PutU16(rootZero, 0, 0);
  EXPECT_EQ(VersionBlock(rootZero).RootValue().error().kind, formats::ErrorKind::kBadVersionBlock);
  EXPECT_TRUE(VersionBlock(rootZero).Strings().empty());
}

TEST(VersionBlock, KeyWithoutTerminator) {
  Bytes node(6, 0);
  for (char c : std::string("CompanyName")) {
    node.push_back(static_cast<std::uint8_t>(c));
    node.push_back(0);
  }
  test::PutU16(node, 0, static_cast<std::uint16_t>(node.size()));
  EXPECT_TRUE(VersionBlock(BlockOf({node})).Strings().empty());
}

TEST(VersionBlock, EveryPrefixOfABlock) {
  const Bytes block = test::SimpleBlock({{"CompanyName", "Company"}, {"Comments", "text"}});
  for (std::size_t length = 0; length <= block.size(); ++length) {
    const VersionBlock prefix(std::span(block.data(), length));
    for (const auto& [key, value] : prefix.Strings()) {
      EXPECT_TRUE(value == "" || std::string("Company").starts_with(value) || std::string("text").starts_with(value))
          << length << " " << key << "=" << value;
    }
    if (const auto root = prefix.RootValue()) {
      EXPECT_LE(root->offset + root->length, length);
    }
  }
}

// The old layout: a 16-bit length and value length, an 8-bit key with its
// NUL, the value aligned to 32 bits.
Bytes NarrowNode(const std::string& key, const std::string& value, const Bytes& children = {}) {
  Bytes n(4, 0);
  n.insert(n.end(), key.begin(), key.end());
  n.push_back(0);
  while (n.size() % 4 != 0) n.push_back(0);
  n.insert(n.end(), value.begin(), value.end());
  if (!children.empty()) {
    while (n.size() % 4 != 0) n.push_back(0);
    n.insert(n.end(), children.begin(), children.end());
  }
  test::PutU16(n, 0, static_cast<std::uint16_t>(n.size()));
  test::PutU16(n, 2, static_cast<std::uint16_t>(value.size()));
  return n;
}

// "root offset+length | key=value,..." or "root <error kind>" for the rest.
std::string Describe(const Bytes& block) {
  const VersionBlock walk(block);
  const auto root = walk.RootValue();
  std::string text = "root ";
  if (root) {
    text += std::to_string(root->offset) + "+" + std::to_string(root->length);
  } else {
    text += root.error().kind == formats::ErrorKind::kNotFound ? "none" : "bad";
  }
  text += " |";
  for (const auto& [key, value] : walk.Strings()) text += " " + key + "=" + value;
  return text;
}

TEST(VersionBlock, EveryCheckAtItsLimit) {
  // A string table whose first entry has no value and a key ending at a
  // 32-bit boundary (6 + 18 bytes), its length set by the case.
  const auto keyOnly = [](int d) {
    Bytes entry = VersionNode("Comments", {}, 1);
    test::PutU16(entry, 0, static_cast<std::uint16_t>(24 + d));
    return BlockOf({entry});
  };
  test::ExpectAtLimits({
      {"the old layout is told by the byte after the length fields",
       [](int d) {
         // Copies of exactly the size, so that a read past the end is one
         // past the allocation (which the address sanitizer reports).
         const Bytes block = {6, 0, 0, 0, 'A', 0};
         return Bytes(block.begin(), block.begin() + 5 + d);
       },
       "root bad |", "root bad |", "root none |"},
      {"a node's header lies inside the block",
       [](int d) {
         const Bytes block = VersionNode("VS_VERSION_INFO", {}, 0);
         return Bytes(block.begin(), block.begin() + 6 + d);
       },
       "root bad |", "root bad |", "root bad |"},
      {"a key ends with its terminator inside its node", keyOnly, "root 40+52 |", "root 40+52 | Comments=",
       "root 40+52 | Comments="},
      {"an old-layout key ends with its terminator inside its node",
       [](int d) {
         Bytes entry = NarrowNode("Key", "");
         test::PutU16(entry, 0, static_cast<std::uint16_t>(8 + d));
         Bytes block = NarrowNode("VS_VERSION_INFO", "", NarrowNode("StringFileInfo", "", NarrowNode("040904E4", "", entry)));
         return block;
       },
       "root none |", "root none | Key=", "root none | Key="},
      {"a value starts no further than its node's end",
       [](int d) {
         // "Comment" and its NUL end 2 bytes short of a 32-bit boundary; the
         // next entry starts at that boundary.
         Bytes entry = VersionNode("Comment", {}, 1, {}, 1);
         test::PutU16(entry, 0, static_cast<std::uint16_t>(24 + d));
         return BlockOf({entry, VersionNode("Next", Text("n"), 1)});
       },
       "root 40+52 | Comment= Next=n", "root 40+52 | Comment= Next=n", "root 40+52 | Comment="},
      {"a root value is reported only as far as its node reaches",
       [](int d) {
         Bytes block = VersionNode("VS_VERSION_INFO", test::FixedInfo(1, 2, 0, 0, 0, 0), 0);
         test::PutU16(block, 0, static_cast<std::uint16_t>(92 + d));
         return block;
       },
       "root 40+51 |", "root 40+52 |", "root 40+52 |"},
      {"a node reaches no further than its parent",
       [](int d) {
         // The root records a 60-byte value but the block ends 52 bytes in.
         Bytes block = VersionNode("VS_VERSION_INFO", test::FixedInfo(1, 2, 0, 0, 0, 0), 0, {}, 60);
         test::PutU16(block, 0, static_cast<std::uint16_t>(92 + d));
         return block;
       },
       "root 40+51 |", "root 40+52 |", "root 40+52 |"},
      {"a text value is read only as far as its node reaches",
       [](int d) {
         // The entry's recorded length (10) is longer than its node; the next
         // entry's length byte (9) follows the node at once.
         Bytes entry = NarrowNode("C", "abcd");
         test::PutU16(entry, 2, 10);
         test::PutU16(entry, 0, static_cast<std::uint16_t>(12 + d));
         return NarrowNode("VS_VERSION_INFO", "",
                           NarrowNode("StringFileInfo", "", NarrowNode("040904E4", "", Siblings({entry, NarrowNode("N", "n")}))));
       },
       "root none | C=abc N=n", "root none | C=abcd N=n", "root none | C=abcd\t"},
  }, Describe);

  const Bytes fixed = test::FixedInfo(1, 2, 0, 0, 0, 0);
  for (std::size_t size : {51u, 52u, 53u}) {
    Bytes bytes = fixed;
    bytes.resize(size);
    EXPECT_EQ(formats::DecodeFixedFileInfo(bytes).has_value(), size >= 52) << size;
  }
}

TEST(VersionLanguage, LocaleNames) {
  EXPECT_EQ(formats::LanguageIdFromLocale(""), 0x409);
  EXPECT_EQ(formats::LanguageIdFromLocale("C"), 0x409);
  EXPECT_EQ(formats::LanguageIdFromLocale("POSIX"), 0x409);
  EXPECT_EQ(formats::LanguageIdFromLocale("C.UTF-8"), 0x409);
  EXPECT_EQ(formats::LanguageIdFromLocale("de_DE.UTF-8"), 0x407);
  EXPECT_EQ(formats::LanguageIdFromLocale("de_AT"), 0xC07);
  EXPECT_EQ(formats::LanguageIdFromLocale("de_XX"), 0x407);
  EXPECT_EQ(formats::LanguageIdFromLocale("pt_BR.UTF-8"), 0x416);
  EXPECT_EQ(formats::LanguageIdFromLocale("pt_PT"), 0x816);
  EXPECT_EQ(formats::LanguageIdFromLocale("zh_TW.Big5"), 0x404);
  EXPECT_EQ(formats::LanguageIdFromLocale("sr_RS@latin"), 0x81A);
  EXPECT_EQ(formats::LanguageIdFromLocale("en-GB"), 0x809);
  EXPECT_EQ(formats::LanguageIdFromLocale("FR_fr"), 0x40C);
  EXPECT_EQ(formats::LanguageIdFromLocale("xx_YY"), 0x409);
}

TEST(VersionLanguage, PickOrder) {
  auto entries = [](std::initializer_list<std::uint16_t> languages) {
    std::vector<formats::ResourceEntry> list;
    for (auto l : languages) {
      formats::ResourceEntry e;
      e.language = l;
      list.push_back(e);
    }
    return list;
  };
  auto pick = [](const std::vector<formats::ResourceEntry>& list, std::uint16_t user) {
    const auto* e = formats::PickVersionResource(list, user);
    return e ? int{e->language} : -1;
  };
  EXPECT_EQ(pick({}, 0x407), -1);
  EXPECT_EQ(pick(entries({0x407, 0x409, 0x000}), 0x407), 0x000);
  EXPECT_EQ(pick(entries({0x407, 0x409, 0x800}), 0x407), 0x800);
  EXPECT_EQ(pick(entries({0x407, 0x409, 0xC07}), 0xC07), 0xC07);
  EXPECT_EQ(pick(entries({0x407, 0x409, 0xC07}), 0x807), 0x407);
  EXPECT_EQ(pick(entries({0x407, 0x409, 0x40C}), 0x411), 0x409);
  EXPECT_EQ(pick(entries({0x407, 0x40C}), 0x411), 0x407);
}

}  // namespace
}  // namespace korvane
