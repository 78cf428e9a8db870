#include "ImageBuilder.h"

#include <algorithm>

#include "platform/FileReader.h"

namespace korvane::test {

namespace {

constexpr std::size_t kFileAlignment = 0x200;
constexpr std::uint32_t kRsrcRva = 0x1000;

void Align(Bytes& b, std::size_t alignment) {
  while (b.size() % alignment != 0) b.push_back(0);
}

void Append(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }

Bytes NameString(const std::string& name) {
  Bytes s(2);
  PutU16(s, 0, static_cast<std::uint16_t>(name.size()));
  for (char c : name) {
    s.push_back(static_cast<std::uint8_t>(c));
    s.push_back(0);
  }
  return s;
}

}  // namespace

formats::Expected<formats::PeImage> OpenImageFile(const std::string& path) {
  auto file = platform::OpenFileReader(path);
  if (!file) return file.error();
  return formats::PeImage::Open(std::move(*file));
}

void PutU16(Bytes& b, std::size_t at, std::uint16_t v) {
  b.at(at) = static_cast<std::uint8_t>(v);
  b.at(at + 1) = static_cast<std::uint8_t>(v >> 8);
}

void PutU32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
}

BuiltImage BuildImage(const std::vector<BuiltResource>& resources, bool pe64, std::size_t stubSize) {
  BuiltImage img;
  Bytes& b = img.bytes;
  b.assign(stubSize, 0xCC);
  std::fill(b.begin(), b.begin() + 0x40, 0);
  b[0] = 'M';
  b[1] = 'Z';
  img.peOffset = stubSize;
  PutU32(b, 0x3C, static_cast<std::uint32_t>(img.peOffset));
  img.boundaries.push_back(b.size());

  const std::uint16_t optionalSize = pe64 ? 240 : 224;
  b.resize(img.peOffset + 24 + optionalSize, 0);
  b[img.peOffset] = 'P';
  b[img.peOffset + 1] = 'E';
  const std::size_t coff = img.peOffset + 4;
  PutU16(b, coff, pe64 ? 0x8664 : 0x14C);
  PutU16(b, coff + 2, 1);
  PutU16(b, coff + 16, optionalSize);
  img.boundaries.push_back(coff + 20);
  img.optionalOffset = coff + 20;
  PutU16(b, img.optionalOffset, pe64 ? 0x20B : 0x10B);
  const std::size_t countField = img.optionalOffset + (pe64 ? 108 : 92);
  const std::size_t directories = img.optionalOffset + (pe64 ? 112 : 96);
  PutU32(b, countField, 16);
  img.boundaries.push_back(b.size());

  img.sectionTable = b.size();
  b.resize(b.size() + 40, 0);
  const char name[] = ".rsrc";
  for (std::size_t i = 0; i < 5; ++i) b[img.sectionTable + i] = static_cast<std::uint8_t>(name[i]);
  img.boundaries.push_back(b.size());
  Align(b, kFileAlignment);
  img.rsrcOffset = b.size();
  img.rsrcRva = kRsrcRva;

  // The directory tree: types, then names, then languages, in the order given.
  std::vector<std::pair<formats::ResourceId, std::vector<std::pair<formats::ResourceId, std::vector<std::size_t>>>>> tree;
  for (std::size_t i = 0; i < resources.size(); ++i) {
    const auto& r = resources[i];
    auto t = tree.begin();
    while (t != tree.end() && !t->first.Matches(r.type)) ++t;
    if (t == tree.end()) t = tree.insert(tree.end(), {r.type, {}});
    auto n = t->second.begin();
    while (n != t->second.end() && !n->first.Matches(r.name)) ++n;
    if (n == t->second.end()) n = t->second.insert(t->second.end(), {r.name, {}});
    n->second.push_back(i);
  }

  // Sizes: directories first, then data entries, then names, then data.
  auto dirSize = [](std::size_t entries) { return 16 + 8 * entries; };
  std::size_t dirBytes = dirSize(tree.size());
  for (auto& [type, names] : tree) {
    dirBytes += dirSize(names.size());
    for (auto& [n, langs] : names) dirBytes += dirSize(langs.size());
  }
  Bytes rsrc(dirBytes + 16 * resources.size(), 0);
  std::size_t nextDir = 0;
  std::size_t nextData = dirBytes;
  std::vector<std::pair<std::size_t, std::size_t>> dataFixups;  // data entry offset, resource index

  auto idField = [&](const formats::ResourceId& id) -> std::uint32_t {
    if (!id.isName) return id.id;
    const std::size_t at = rsrc.size();
    Append(rsrc, NameString(id.name));
    return 0x80000000u | static_cast<std::uint32_t>(at);
  };
  auto newDir = [&](std::size_t named, std::size_t numbered) {
    const std::size_t at = nextDir;
    PutU16(rsrc, at + 12, static_cast<std::uint16_t>(named));
    PutU16(rsrc, at + 14, static_cast<std::uint16_t>(numbered));
    nextDir += dirSize(named + numbered);
    return at;
  };
  auto countNamed = [](const auto& list) {
    std::size_t named = 0;
    for (auto& item : list) named += item.first.isName ? 1 : 0;
    return named;
  };

  const std::size_t root = newDir(countNamed(tree), tree.size() - countNamed(tree));
  for (std::size_t ti = 0; ti < tree.size(); ++ti) {
    auto& [type, names] = tree[ti];
    const std::size_t typeDir = newDir(countNamed(names), names.size() - countNamed(names));
    PutU32(rsrc, root + 16 + ti * 8, idField(type));
    PutU32(rsrc, root + 16 + ti * 8 + 4, 0x80000000u | static_cast<std::uint32_t>(typeDir));
    for (std::size_t ni = 0; ni < names.size(); ++ni) {
      auto& [nameId, langs] = names[ni];
      const std::size_t nameDir = newDir(0, langs.size());
      PutU32(rsrc, typeDir + 16 + ni * 8, idField(nameId));
      PutU32(rsrc, typeDir + 16 + ni * 8 + 4, 0x80000000u | static_cast<std::uint32_t>(nameDir));
      for (std::size_t li = 0; li < langs.size(); ++li) {
        const std::size_t index = langs[li];
        PutU32(rsrc, nameDir + 16 + li * 8, resources[index].language);
        PutU32(rsrc, nameDir + 16 + li * 8 + 4, static_cast<std::uint32_t>(nextData));
        dataFixups.emplace_back(nextData, index);
        nextData += 16;
      }
    }
  }
  for (auto& [entry, index] : dataFixups) {
    Align(rsrc, 8);
    const std::size_t at = rsrc.size();
    Append(rsrc, resources[index].data);
    PutU32(rsrc, entry, kRsrcRva + static_cast<std::uint32_t>(at));
    PutU32(rsrc, entry + 4, static_cast<std::uint32_t>(resources[index].data.size()));
    img.dataEntries.push_back(img.rsrcOffset + entry);
    img.boundaries.push_back(img.rsrcOffset + at);
    img.boundaries.push_back(img.rsrcOffset + at + resources[index].data.size());
  }
  for (std::size_t at = 16; at <= dirBytes; at += 8) img.boundaries.push_back(img.rsrcOffset + at);
  Align(rsrc, kFileAlignment);

  PutU32(b, directories + 16, kRsrcRva);
  PutU32(b, directories + 20, static_cast<std::uint32_t>(rsrc.size()));
  PutU32(b, img.sectionTable + 8, static_cast<std::uint32_t>(rsrc.size()));
  PutU32(b, img.sectionTable + 12, kRsrcRva);
  PutU32(b, img.sectionTable + 16, static_cast<std::uint32_t>(rsrc.size()));
  PutU32(b, img.sectionTable + 20, static_cast<std::uint32_t>(img.rsrcOffset));
  Append(b, rsrc);
  return img;
}

Bytes Text(const std::string& ascii) {
  Bytes t;
  for (char c : ascii) {
    t.push_back(static_cast<std::uint8_t>(c));
    t.push_back(0);
  }
  t.push_back(0);
  t.push_back(0);
  return t;
}

Bytes VersionNode(const std::string& key, const Bytes& value, int type, const Bytes& children, int valueLength) {
  Bytes n(6, 0);
  Append(n, Text(key));
  Align(n, 4);
  Append(n, value);
  if (!children.empty()) {
    Align(n, 4);
    Append(n, children);
  }
  if (valueLength < 0) valueLength = static_cast<int>(type == 1 ? value.size() / 2 : value.size());
  PutU16(n, 0, static_cast<std::uint16_t>(n.size()));
  PutU16(n, 2, static_cast<std::uint16_t>(valueLength));
  PutU16(n, 4, static_cast<std::uint16_t>(type));
  return n;
}

Bytes Siblings(const std::vector<Bytes>& nodes) {
  Bytes all;
  for (const auto& node : nodes) {
    Align(all, 4);
    Append(all, node);
  }
  return all;
}

Bytes FixedInfo(std::uint32_t fileMS, std::uint32_t fileLS, std::uint32_t flags, std::uint32_t os,
                std::uint32_t type, std::uint32_t subtype) {
  Bytes f(52, 0);
  const std::uint32_t fields[13] = {0xFEEF04BD, 0x00010000, fileMS, fileLS, fileMS, fileLS, 0x3F,
                                    flags,      os,         type,   subtype, 0,     0};
  for (std::size_t i = 0; i < 13; ++i) PutU32(f, i * 4, fields[i]);
  return f;
}

Bytes SimpleBlock(const std::vector<std::pair<std::string, std::string>>& strings, const Bytes& fixed) {
  std::vector<Bytes> nodes;
  for (const auto& [key, value] : strings) nodes.push_back(VersionNode(key, Text(value), 1));
  const Bytes table = VersionNode("040904B0", {}, 1, Siblings(nodes));
  const Bytes info = VersionNode("StringFileInfo", {}, 1, table);
  return VersionNode("VS_VERSION_INFO", fixed, 0, info);
}

}  // namespace korvane::test
