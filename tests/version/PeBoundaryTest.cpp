// Every length and offset check of the PE reader and its byte sources, at the
// limit, one byte short of it and one byte over: a check weakened or
// tightened by one byte changes one of these outcomes.

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "ImageBuilder.h"
#include "formats/ByteSource.h"
#include "formats/PeImage.h"
#include "support/Boundary.h"

namespace korvane {
namespace {

using formats::ErrorKind;
using formats::PeImage;
using formats::ResourceId;
using test::Bytes;
using test::PutU16;
using test::PutU32;

// Offsets of the structures the cases move, as the PE format fixes them.
constexpr std::size_t kSectionHeader = 40;
constexpr std::size_t kSectionVirtualSize = 8;
constexpr std::size_t kSectionVirtualAddress = 12;
constexpr std::size_t kSectionRawSize = 16;
constexpr std::size_t kSectionRawOffset = 20;
constexpr std::size_t kPe64DirectoryCount = 108;
constexpr std::size_t kPe64ResourceEntry = 112 + 16;
constexpr std::size_t kPe32ResourceEntry = 96 + 16;

std::uint32_t U32At(const Bytes& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

std::string Name(ErrorKind kind) {
  switch (kind) {
    case ErrorKind::kNotPe: return "NotPe";
    case ErrorKind::kBadHeaders: return "BadHeaders";
    case ErrorKind::kNoResources: return "NoResources";
    case ErrorKind::kBadResourceDirectory: return "BadDirectory";
    case ErrorKind::kResourceLoop: return "Loop";
    case ErrorKind::kTooManyEntries: return "TooMany";
    case ErrorKind::kResourceOutOfFile: return "OutOfFile";
    case ErrorKind::kTooLarge: return "TooLarge";
    default: return "kind " + std::to_string(static_cast<int>(kind));
  }
}

// "fault:read": the first fault met (the directory's damage, else the first
// resource that cannot be read; "ok" for none) and how many resources were
// read; just the fault when the image or its directory cannot be read at all.
std::string Describe(const Bytes& bytes) {
  const auto image = PeImage::FromBytes(bytes);
  if (!image) return Name(image.error().kind);
  const auto listing = image->Resources();
  if (!listing) return Name(listing.error().kind);
  std::optional<ErrorKind> fault;
  if (listing->damage) fault = listing->damage->kind;
  std::size_t read = 0;
  for (const auto& entry : listing->entries) {
    const auto data = image->ReadResource(entry);
    if (data) {
      ++read;
    } else if (!fault) {
      fault = data.error().kind;
    }
  }
  return (fault ? Name(*fault) : "ok") + ":" + std::to_string(read);
}

std::vector<test::BuiltResource> SampleResources() {
  return {
      {ResourceId::Named("TYPELIB"), ResourceId::Number(1), 0, Bytes{'M', 'S', 'F', 'T'}},
      {ResourceId::Number(formats::kRtVersion), ResourceId::Number(1), 0x409, test::SimpleBlock({{"A", "b"}})},
  };
}

// The resource section's length in the file, as its header records it.
std::size_t SectionLength(const test::BuiltImage& img) { return U32At(img.bytes, img.sectionTable + kSectionRawSize); }

// The directory field (offset from the directory's start) that holds value.
std::size_t FieldHolding(const test::BuiltImage& img, std::uint32_t value) {
  for (std::size_t at = img.rsrcOffset; at + 4 <= img.dataEntries.front(); at += 4) {
    if (U32At(img.bytes, at) == value) return at;
  }
  ADD_FAILURE() << "no directory field holds " << value;
  return img.rsrcOffset;
}

// The image with zero bytes after its resource section, so that a read
// beyond the section is not also a read beyond the file.
test::BuiltImage WithBytesAfterTheSection(const test::BuiltImage& img) {
  test::BuiltImage longer = img;
  longer.bytes.resize(img.bytes.size() + 32, 0);
  return longer;
}

// Writes bytes at an offset from the directory's start, dropping what would
// lie beyond the section.
void PutInSection(test::BuiltImage& img, std::size_t offset, const Bytes& bytes) {
  for (std::size_t i = 0; i < bytes.size() && offset + i < SectionLength(img); ++i) {
    img.bytes[img.rsrcOffset + offset + i] = bytes[i];
  }
}

// An image whose resource section is rsrc, laid out at the builder's place.
Bytes WithResourceSection(const Bytes& rsrc) {
  auto img = test::BuildImage({});
  img.bytes.resize(img.rsrcOffset);
  img.bytes.insert(img.bytes.end(), rsrc.begin(), rsrc.end());
  const auto size = static_cast<std::uint32_t>(rsrc.size());
  PutU32(img.bytes, img.sectionTable + kSectionVirtualSize, size);
  PutU32(img.bytes, img.sectionTable + kSectionRawSize, size);
  PutU32(img.bytes, img.optionalOffset + kPe64ResourceEntry + 4, size);
  return img.bytes;
}

// One type, one name, `languages` language entries all naming one 4-byte
// resource: 2 + languages directory entries in all.
Bytes ManyLanguages(std::size_t languages) {
  const std::size_t nameTable = 2 * 24;
  const std::size_t dataEntry = nameTable + 16 + 8 * languages;
  Bytes rsrc(dataEntry + 16 + 4, 0);
  PutU16(rsrc, 14, 1);
  PutU32(rsrc, 16, 10);
  PutU32(rsrc, 20, 0x80000000u | 24);
  PutU16(rsrc, 24 + 14, 1);
  PutU32(rsrc, 24 + 16, 1);
  PutU32(rsrc, 24 + 20, 0x80000000u | static_cast<std::uint32_t>(nameTable));
  PutU16(rsrc, nameTable + 14, static_cast<std::uint16_t>(languages));
  for (std::size_t i = 0; i < languages; ++i) {
    PutU32(rsrc, nameTable + 16 + 8 * i, static_cast<std::uint32_t>(i));
    PutU32(rsrc, nameTable + 20 + 8 * i, static_cast<std::uint32_t>(dataEntry));
  }
  PutU32(rsrc, dataEntry, 0x1000 + static_cast<std::uint32_t>(dataEntry + 16));
  PutU32(rsrc, dataEntry + 4, 4);
  return WithResourceSection(rsrc);
}

TEST(PeBoundary, EveryCheckAtItsLimit) {
  const auto base = test::BuildImage(SampleResources());
  ASSERT_EQ(Describe(base.bytes), "ok:2");
  const std::size_t length = SectionLength(base);
  const std::uint32_t sectionEnd = base.rsrcRva + static_cast<std::uint32_t>(length);
  const std::size_t version = base.dataEntries.back();  // the version resource's data entry

  test::ExpectAtLimits({
      {"at most 1024 sections",
       [&](int d) {
         auto img = base;
         PutU16(img.bytes, img.peOffset + 6, static_cast<std::uint16_t>(1024 + d));
         img.bytes.resize(img.sectionTable + kSectionHeader * 1100, 0);
         return img.bytes;
       },
       "ok:2", "ok:2", "BadHeaders"},
      {"an optional header holds at least its magic",
       [&](int d) {
         auto img = base;
         PutU16(img.bytes, img.peOffset + 20, static_cast<std::uint16_t>(2 + d));
         return img.bytes;
       },
       "BadHeaders", "NoResources", "NoResources"},
      {"PE32+: the optional header has room for the resource directory entry",
       [&](int d) {
         auto img = base;
         const std::size_t size = kPe64ResourceEntry + 8 + d;
         PutU16(img.bytes, img.peOffset + 20, static_cast<std::uint16_t>(size));
         std::memmove(&img.bytes[img.optionalOffset + size], &img.bytes[img.sectionTable], kSectionHeader);
         return img.bytes;
       },
       "NoResources", "ok:2", "ok:2"},
      {"PE32: the optional header has room for the resource directory entry",
       [&](int d) {
         auto img = test::BuildImage(SampleResources(), false);
         const std::size_t size = kPe32ResourceEntry + 8 + d;
         PutU16(img.bytes, img.peOffset + 20, static_cast<std::uint16_t>(size));
         std::memmove(&img.bytes[img.optionalOffset + size], &img.bytes[img.sectionTable], kSectionHeader);
         return img.bytes;
       },
       "NoResources", "ok:2", "ok:2"},
      {"the directory count includes the resource entry",
       [&](int d) {
         auto img = base;
         PutU32(img.bytes, img.optionalOffset + kPe64DirectoryCount, static_cast<std::uint32_t>(3 + d));
         return img.bytes;
       },
       "NoResources", "ok:2", "ok:2"},
      {"a section ending where the directory starts does not hold it",
       [&](int d) {
         auto img = base;
         // A section of no file bytes placed before the real one in the table.
         PutU16(img.bytes, img.peOffset + 6, 2);
         std::memmove(&img.bytes[img.sectionTable + kSectionHeader], &img.bytes[img.sectionTable], kSectionHeader);
         std::fill_n(img.bytes.begin() + static_cast<std::ptrdiff_t>(img.sectionTable), kSectionHeader, 0);
         PutU32(img.bytes, img.sectionTable + kSectionVirtualSize, 0x100);
         PutU32(img.bytes, img.sectionTable + kSectionVirtualAddress, static_cast<std::uint32_t>(img.rsrcRva - 0x100 + d));
         return img.bytes;
       },
       "ok:2", "ok:2", "NoResources"},
      {"the directory starts inside its section's file bytes",
       [&](int d) {
         auto img = base;
         PutU32(img.bytes, img.sectionTable + kSectionVirtualSize, static_cast<std::uint32_t>(length + 0x1000));
         PutU32(img.bytes, img.optionalOffset + kPe64ResourceEntry,
                static_cast<std::uint32_t>(img.rsrcRva + length - 1 + d));
         return img.bytes;
       },
       "BadDirectory:0", "BadDirectory:0", "NoResources"},
      {"the directory starts before the file's end",
       [&](int d) {
         auto img = base;
         img.bytes.resize(img.rsrcOffset + 1 + d);
         return img.bytes;
       },
       "NoResources", "BadDirectory:0", "BadDirectory:0"},
      {"resource bytes end inside their section's file bytes",
       [&](int d) {
         auto img = base;
         img.bytes.resize(img.bytes.size() + 16, 0);  // bytes after the section
         PutU32(img.bytes, version, sectionEnd - 8);
         PutU32(img.bytes, version + 4, static_cast<std::uint32_t>(8 + d));
         return img.bytes;
       },
       "ok:2", "ok:2", "OutOfFile:1"},
      {"resource bytes end inside the file",
       [&](int d) {
         auto img = base;
         // The section claims 16 bytes more than the file holds.
         PutU32(img.bytes, img.sectionTable + kSectionVirtualSize, static_cast<std::uint32_t>(length + 16));
         PutU32(img.bytes, img.sectionTable + kSectionRawSize, static_cast<std::uint32_t>(length + 16));
         PutU32(img.bytes, version, sectionEnd - 8);
         PutU32(img.bytes, version + 4, static_cast<std::uint32_t>(8 + d));
         return img.bytes;
       },
       "ok:2", "ok:2", "OutOfFile:1"},
      {"an empty resource lies inside its section",
       [&](int d) {
         auto img = base;
         PutU32(img.bytes, version, static_cast<std::uint32_t>(sectionEnd - 1 + d));
         PutU32(img.bytes, version + 4, 0);
         return img.bytes;
       },
       "ok:2", "ok:2", "OutOfFile:1"},
      {"a resource is at most 64 MiB",
       [&](int d) {
         auto img = base;
         PutU32(img.bytes, version + 4, static_cast<std::uint32_t>(formats::kMaxResourceSize + d));
         return img.bytes;
       },
       "OutOfFile:1", "OutOfFile:1", "TooLarge:1"},
      {"a name's length lies inside the section",
       [&](int d) {
         auto img = WithBytesAfterTheSection(base);
         // The padding at the section's end is zero: a name of no characters.
         const std::size_t typeId = img.rsrcOffset + 16;
         PutU32(img.bytes, typeId, 0x80000000u | static_cast<std::uint32_t>(length - 2 + d));
         return img.bytes;
       },
       "ok:2", "ok:2", "BadDirectory:1"},
      {"a name's characters lie inside the section",
       [&](int d) {
         auto img = WithBytesAfterTheSection(base);
         const std::size_t at = length - 16 + d;
         PutInSection(img, at, Bytes{7, 0, 'T', 0, 'Y', 0, 'P', 0, 'E', 0, 'L', 0, 'I', 0, 'B', 0});
         PutU32(img.bytes, img.rsrcOffset + 16, 0x80000000u | static_cast<std::uint32_t>(at));
         return img.bytes;
       },
       "ok:2", "ok:2", "BadDirectory:1"},
      {"a table's header lies inside the section",
       [&](int d) {
         auto img = WithBytesAfterTheSection(base);
         // The version type's table, moved to the zero padding: an empty table.
         const std::size_t typeTarget = img.rsrcOffset + 16 + 8 + 4;
         PutU32(img.bytes, typeTarget, 0x80000000u | static_cast<std::uint32_t>(length - 16 + d));
         return img.bytes;
       },
       "ok:1", "ok:1", "BadDirectory:1"},
      {"a data entry lies inside the section",
       [&](int d) {
         auto img = WithBytesAfterTheSection(base);
         // Moved to the zero padding: a resource at RVA 0, outside every section.
         const std::size_t leaf = FieldHolding(img, static_cast<std::uint32_t>(version - img.rsrcOffset));
         PutU32(img.bytes, leaf, static_cast<std::uint32_t>(length - 12 + d));
         return img.bytes;
       },
       "OutOfFile:1", "OutOfFile:1", "BadDirectory:1"},
      {"at most 65536 directory entries",
       [&](int d) { return ManyLanguages(static_cast<std::size_t>(65534 + d)); },
       "ok:65533", "ok:65534", "TooMany:65534"},
  }, Describe);
}

// Reads through a source and straight from the bytes agree; a read reaching
// beyond the end is refused.
void ExpectReadsLike(const formats::ByteSource& source, const Bytes& bytes) {
  const std::size_t size = bytes.size();
  struct Read {
    std::size_t offset;
    std::size_t length;
  };
  const Read inside[] = {{size - 5, 4}, {size - 4, 4}, {size, 0}, {0, size}, {4090, 12}, {4096, 1}, {8191, 2}};
  for (const auto& r : inside) {
    Bytes got(r.length, 0xEE);
    ASSERT_TRUE(source.Read(r.offset, got)) << r.offset << "+" << r.length;
    EXPECT_TRUE(std::equal(got.begin(), got.end(), bytes.begin() + static_cast<std::ptrdiff_t>(r.offset)))
        << r.offset << "+" << r.length;
  }
  const Read beyond[] = {{size - 3, 4}, {size + 1, 0}, {1, size}};
  for (const auto& r : beyond) {
    Bytes got(r.length);
    const auto read = source.Read(r.offset, got);
    ASSERT_FALSE(read) << r.offset << "+" << r.length;
    EXPECT_EQ(read.error().kind, ErrorKind::kOutOfRange);
  }
}

TEST(PeBoundary, ByteSourcesReadUpToTheirEndAndNoFurther) {
  Bytes bytes(1100 * 4096 + 10);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 4096);
  const formats::MemorySource memory(bytes);
  ExpectReadsLike(memory, bytes);
  const formats::PagedSource paged(std::make_unique<formats::MemorySource>(bytes));
  ExpectReadsLike(paged, bytes);
  for (std::size_t limit : {bytes.size() - 1, bytes.size(), bytes.size() + 1}) {
    const auto whole = formats::ReadWhole(memory, limit);
    if (limit < bytes.size()) {
      ASSERT_FALSE(whole);
      EXPECT_EQ(whole.error().kind, ErrorKind::kTooLarge);
    } else {
      ASSERT_TRUE(whole) << limit;
      EXPECT_EQ(*whole, bytes);
    }
  }
  // Small reads of more pages than the cache keeps are still right.
  for (std::size_t page = 0; page < 1100; ++page) {
    const auto value = paged.U16(page * 4096 + 4095);
    ASSERT_TRUE(value);
    EXPECT_EQ(*value, bytes[page * 4096 + 4095] | (bytes[page * 4096 + 4096] << 8)) << page;
  }
}

}  // namespace
}  // namespace korvane
