// PE images that no compiler writes: every fault gives an error value or empty
// properties, quickly, never a crash or a hang.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "ImageBuilder.h"
#include "formats/PeImage.h"
#include "formats/VersionBlock.h"
#include "inspection/clsFileInfo.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using formats::ErrorKind;
using formats::PeImage;
using formats::ResourceId;
using test::Bytes;

std::vector<test::BuiltResource> SampleResources() {
  return {
      {ResourceId::Named("TYPELIB"), ResourceId::Number(1), 0, Bytes{'M', 'S', 'F', 'T'}},
      {ResourceId::Number(formats::kRtVersion), ResourceId::Number(1), 0x409,
       test::SimpleBlock({{"CompanyName", "Built"}, {"OriginalFilename", "built.dll"}})},
  };
}

// The first fault met by everything a caller can do with an image; nullopt
// when there is none.
using Outcome = std::optional<ErrorKind>;
constexpr Outcome kSound = std::nullopt;

Outcome UseImage(std::span<const std::uint8_t> bytes, std::string* company = nullptr) {
  const auto image = PeImage::FromBytes(bytes);
  if (!image) return image.error().kind;
  const auto listing = image->Resources();
  if (!listing) return listing.error().kind;
  Outcome first = listing->damage ? Outcome(listing->damage->kind) : kSound;
  for (const auto& entry : listing->entries) {
    const auto data = image->ReadResource(entry);
    if (!data) {
      if (!first) first = data.error().kind;
      continue;
    }
    if (entry.type.Matches(ResourceId::Number(formats::kRtVersion)) && company) {
      *company = formats::VersionBlock(*data).StringValue("CompanyName");
    }
  }
  return first;
}

clsFileInfo ReadAsFile(const Bytes& bytes) {
  test::TempDir dir;
  const std::string path = dir.Write("image.dll", std::string(bytes.begin(), bytes.end()));
  clsFileInfo info;
  info.SelectFile(path);
  return info;
}

TEST(MalformedImage, WellFormedBuiltImagesReadBack) {
  for (bool pe64 : {true, false}) {
    SCOPED_TRACE(pe64 ? "PE32+" : "PE32");
    const auto img = test::BuildImage(SampleResources(), pe64);
    std::string company;
    EXPECT_EQ(UseImage(img.bytes, &company), kSound);
    EXPECT_EQ(company, "Built");
    const clsFileInfo info = ReadAsFile(img.bytes);
    EXPECT_EQ(info.CompanyName, "Built");
    EXPECT_EQ(info.OriginalFileName, "built.dll");
    EXPECT_EQ(info.FileVerEx, "1.2.3.4");
    EXPECT_EQ(info.FileTypeEx, "DLL");
  }
}

TEST(MalformedImage, TruncatedAtEveryLength) {
  const auto img = test::BuildImage(SampleResources());
  std::size_t readable = 0;
  for (std::size_t length = 0; length < img.bytes.size(); ++length) {
    std::span<const std::uint8_t> cut(img.bytes.data(), length);
    std::string company;
    if (UseImage(cut, &company) == kSound) ++readable;
    // A short image never yields a value that is not in the full one.
    EXPECT_TRUE(company.empty() || company == "Built") << length;
  }
  // Only the padding after the last resource can go without loss.
  EXPECT_LT(readable, img.bytes.size() - img.rsrcOffset);
}

TEST(MalformedImage, TruncatedFilesAtStructureBoundaries) {
  const auto img = test::BuildImage(SampleResources());
  for (std::size_t end : img.boundaries) {
    for (std::size_t length : {end - 1, end, end + 1}) {
      if (length >= img.bytes.size()) continue;
      SCOPED_TRACE(length);
      const clsFileInfo info = ReadAsFile(Bytes(img.bytes.begin(), img.bytes.begin() + length));
      EXPECT_TRUE(info.CompanyName.empty() || info.CompanyName == "Built");
    }
  }
}

TEST(MalformedImage, HeaderFaults) {
  struct Damage {
    const char* what;
    void (*apply)(test::BuiltImage&);
    Outcome expected;
  };
  const Damage damages[] = {
      {"no MZ", [](test::BuiltImage& i) { i.bytes[0] = 'X'; }, ErrorKind::kNotPe},
      {"PE offset past the end", [](test::BuiltImage& i) { test::PutU32(i.bytes, 0x3C, 0xFFFFFFF0u); },
       ErrorKind::kNotPe},
      {"PE offset at the last bytes",
       [](test::BuiltImage& i) { test::PutU32(i.bytes, 0x3C, static_cast<std::uint32_t>(i.bytes.size() - 2)); },
       ErrorKind::kNotPe},
      {"no PE signature", [](test::BuiltImage& i) { i.bytes[i.peOffset + 1] = 'X'; }, ErrorKind::kNotPe},
      {"unknown optional header magic", [](test::BuiltImage& i) { test::PutU16(i.bytes, i.optionalOffset, 0x107); },
       ErrorKind::kBadHeaders},
      {"optional header of size 0", [](test::BuiltImage& i) { test::PutU16(i.bytes, i.peOffset + 20, 0); },
       ErrorKind::kBadHeaders},
      {"65535 sections", [](test::BuiltImage& i) { test::PutU16(i.bytes, i.peOffset + 6, 0xFFFF); },
       ErrorKind::kBadHeaders},
      {"section table past the end", [](test::BuiltImage& i) { test::PutU16(i.bytes, i.peOffset + 20, 0xFFFF); },
       ErrorKind::kBadHeaders},
      {"two data directories only",
       [](test::BuiltImage& i) { test::PutU32(i.bytes, i.optionalOffset + 108, 2); }, ErrorKind::kNoResources},
      {"resource directory outside every section",
       [](test::BuiltImage& i) { test::PutU32(i.bytes, i.optionalOffset + 112 + 16, 0x7FFF0000u); },
       ErrorKind::kNoResources},
      {"section bytes past the end of the file",
       [](test::BuiltImage& i) { test::PutU32(i.bytes, i.sectionTable + 20, 0x7FFFFFFFu); }, ErrorKind::kNoResources},
  };
  for (const auto& d : damages) {
    SCOPED_TRACE(d.what);
    auto img = test::BuildImage(SampleResources());
    d.apply(img);
    EXPECT_EQ(UseImage(img.bytes), d.expected);
    const clsFileInfo info = ReadAsFile(img.bytes);
    EXPECT_EQ(info.CompanyName, "");
    EXPECT_EQ(info.FileVerEx, "");
  }
}

TEST(MalformedImage, DirectoriesThatReferToThemselves) {
  const auto base = test::BuildImage(SampleResources());
  const std::size_t root = base.rsrcOffset;
  const std::size_t firstEntry = root + 16;
  {
    SCOPED_TRACE("root entry pointing at the root");
    auto img = base;
    test::PutU32(img.bytes, firstEntry + 4, 0x80000000u);
    EXPECT_EQ(UseImage(img.bytes), ErrorKind::kResourceLoop);
  }
  {
    SCOPED_TRACE("name directory pointing back at its type directory");
    auto img = base;
    std::uint32_t typeDir = 0;
    const auto& b = img.bytes;
    typeDir = (b[firstEntry + 4] | (b[firstEntry + 5] << 8) | (b[firstEntry + 6] << 16)) & 0x7FFFFFFF;
    test::PutU32(img.bytes, root + typeDir + 16 + 4, 0x80000000u | typeDir);
    EXPECT_EQ(UseImage(img.bytes), ErrorKind::kResourceLoop);
  }
  {
    SCOPED_TRACE("every root entry of a huge count pointing at the root");
    auto img = base;
    // Counts of 65535 each, and the section grown so that all entries are inside it.
    img.bytes.resize(img.rsrcOffset + 16 + 8 * 131070 + 16, 0);
    const auto size = static_cast<std::uint32_t>(img.bytes.size() - img.rsrcOffset);
    test::PutU32(img.bytes, img.sectionTable + 8, size);
    test::PutU32(img.bytes, img.sectionTable + 16, size);
    test::PutU16(img.bytes, root + 12, 0xFFFF);
    test::PutU16(img.bytes, root + 14, 0xFFFF);
    for (std::size_t e = 0; e < 131070; ++e) {
      test::PutU32(img.bytes, firstEntry + e * 8, 0x80000000u);  // a name at offset 0
      test::PutU32(img.bytes, firstEntry + e * 8 + 4, 0x80000000u);
    }
    const Outcome error = UseImage(img.bytes);
    EXPECT_TRUE(error == ErrorKind::kTooManyEntries || error == ErrorKind::kResourceLoop);
  }
}

TEST(MalformedImage, DirectoryEntriesOutsideTheSection) {
  const auto base = test::BuildImage(SampleResources());
  const std::size_t root = base.rsrcOffset;
  {
    SCOPED_TRACE("counts far larger than the section");
    auto img = base;
    test::PutU16(img.bytes, root + 14, 0xFFFF);
    EXPECT_EQ(UseImage(img.bytes), ErrorKind::kBadResourceDirectory);
  }
  {
    SCOPED_TRACE("subdirectory offset past the section");
    auto img = base;
    test::PutU32(img.bytes, root + 16 + 4, 0xFFFFFFFFu);
    EXPECT_EQ(UseImage(img.bytes), ErrorKind::kBadResourceDirectory);
  }
  {
    SCOPED_TRACE("name offset past the section");
    auto img = base;
    test::PutU32(img.bytes, root + 16, 0xFFFFFFF0u);
    EXPECT_EQ(UseImage(img.bytes), ErrorKind::kBadResourceDirectory);
  }
  {
    SCOPED_TRACE("data entry offset past the section");
    auto img = base;
    // The language entry of the last resource: rewrite the whole tree's last data field.
    const std::size_t lastData = img.dataEntries.back();
    for (std::size_t at = root; at + 8 <= lastData; at += 4) {
      const std::uint32_t v = img.bytes[at] | (img.bytes[at + 1] << 8) | (img.bytes[at + 2] << 16) |
                              (static_cast<std::uint32_t>(img.bytes[at + 3]) << 24);
      if (v == lastData - root) test::PutU32(img.bytes, at, 0x7FFFFFF0u);
    }
    std::string company;
    EXPECT_EQ(UseImage(img.bytes, &company), ErrorKind::kBadResourceDirectory);
    // The other resource is still listed and read.
    const auto image = PeImage::FromBytes(img.bytes);
    ASSERT_TRUE(image);
    const auto listing = image->Resources();
    ASSERT_TRUE(listing);
    EXPECT_EQ(listing->entries.size(), 1u);
  }
}

TEST(MalformedImage, ResourceSizesAndAddresses) {
  const auto base = test::BuildImage(SampleResources());
  const std::size_t version = base.dataEntries.back();
  auto withEntry = [&](std::uint32_t rva, std::uint32_t size) {
    auto img = base;
    if (rva != 0) test::PutU32(img.bytes, version, rva);
    test::PutU32(img.bytes, version + 4, size);
    return img;
  };
  EXPECT_EQ(UseImage(withEntry(0, 0xFFFFFFFFu).bytes), ErrorKind::kTooLarge);
  EXPECT_EQ(UseImage(withEntry(0, formats::kMaxResourceSize).bytes), ErrorKind::kResourceOutOfFile);
  EXPECT_EQ(UseImage(withEntry(0xFFFFFF00u, 16).bytes), ErrorKind::kResourceOutOfFile);
  EXPECT_EQ(UseImage(withEntry(0x10, 16).bytes), ErrorKind::kResourceOutOfFile);
  // Just past the section's end.
  const std::uint32_t sectionEnd = base.rsrcRva + static_cast<std::uint32_t>(base.bytes.size() - base.rsrcOffset);
  EXPECT_EQ(UseImage(withEntry(sectionEnd - 8, 9).bytes), ErrorKind::kResourceOutOfFile);
  EXPECT_EQ(UseImage(withEntry(sectionEnd - 8, 8).bytes), kSound);
  // A size of 0 is read as no bytes, and gives no properties.
  const auto empty = withEntry(0, 0);
  EXPECT_EQ(UseImage(empty.bytes), kSound);
  EXPECT_EQ(ReadAsFile(empty.bytes).FileVerEx, "");
  EXPECT_EQ(ReadAsFile(withEntry(0, 0xFFFFFFFFu).bytes).CompanyName, "");
}

TEST(MalformedImage, SectionWhoseFileBytesAreShorterThanItsMemory) {
  auto img = test::BuildImage(SampleResources());
  // The raw size ends before the version data: the directory is still read,
  // the version resource is not backed by the file.
  const std::uint32_t rawSize = static_cast<std::uint32_t>(img.dataEntries.back() - img.rsrcOffset + 16);
  test::PutU32(img.bytes, img.sectionTable + 16, rawSize);
  test::PutU32(img.bytes, img.sectionTable + 8, 0x10000);
  EXPECT_NE(UseImage(img.bytes), kSound);
  EXPECT_EQ(ReadAsFile(img.bytes).CompanyName, "");
}

TEST(MalformedImage, ResourceNamesAreMatchedIgnoringCase) {
  const auto img = test::BuildImage(SampleResources());
  const auto image = PeImage::FromBytes(img.bytes);
  ASSERT_TRUE(image);
  const auto found = image->ResourcesOfType(ResourceId::Named("TypeLib"));
  ASSERT_TRUE(found && !found->damage);
  ASSERT_EQ(found->entries.size(), 1u);
  EXPECT_EQ(found->entries[0].type.ToString(), "TYPELIB");
  EXPECT_FALSE(ResourceId::Named("1").Matches(ResourceId::Number(1)));
  EXPECT_FALSE(ResourceId::Named("TYPELIBX").Matches(ResourceId::Named("TYPELIB")));
}

}  // namespace
}  // namespace korvane
