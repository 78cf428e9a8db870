#include "SltgBuilder.h"

#include <cstdio>

#include "SltgTypeBlock.h"
#include "SltgWriter.h"

namespace korvane::test {

namespace {

using sltg::NameTable;
using sltg::Writer;

constexpr std::size_t kHeaderSize = 0x24;
constexpr std::size_t kIndexNameLength = 10;  // plus the terminator: 11 bytes each

std::vector<formats::TypeInfo> AllTypes(const SltgFixture& fixture) {
  std::vector<formats::TypeInfo> types;
  for (const auto& name : fixture.typeNames) {
    formats::TypeInfo type;
    type.kind = formats::TypeKind::kEnum;
    type.name = name;
    type.guid = fixture.guid;
    type.helpString = "type help";
    types.push_back(type);
  }
  types.insert(types.end(), fixture.types.begin(), fixture.types.end());
  return types;
}

std::string IndexName(const std::string& name) { return name.substr(0, kIndexNameLength); }

std::string ImportText(const formats::ImportedLibrary& lib) {
  const std::string guid = formats::GuidToRegistryText(lib.guid);
  char lcid[16];
  std::snprintf(lcid, sizeof lcid, "%x", lib.lcid);
  return "*\\G" + guid + "#" + std::to_string(lib.majorVersion) + "." + std::to_string(lib.minorVersion) + "#" +
         lcid + "#" + lib.fileName + "#";
}

std::vector<std::uint8_t> LibraryBlock(const SltgFixture& fixture, const std::vector<formats::TypeInfo>& types,
                                       const std::vector<std::uint16_t>& typeNameOffsets,
                                       std::uint16_t libNameOffset, const NameTable& names) {
  Writer w;
  w.U16(0x51CC);
  w.U16(4);
  w.U16(libNameOffset);
  w.U16(0xFFFF);
  w.Counted(fixture.hasHelpString, fixture.helpString);
  w.Counted(fixture.hasHelpFile, fixture.helpFile);
  w.U32(fixture.helpContext);
  w.U16(fixture.sysKind);
  w.U16(fixture.lcid);
  w.U32(0);
  w.U16(fixture.libFlags);
  w.U16(fixture.major);
  w.U16(fixture.minor);
  w.Guid(fixture.guid);
  w.Zeros(0x40);
  for (std::size_t i = 0; i < types.size(); ++i) {
    const auto& type = types[i];
    w.U16(static_cast<std::uint16_t>(i));
    w.Counted(true, IndexName(type.name));
    w.Counted(false, "");
    w.U16(0xFFFF);
    w.U16(typeNameOffsets[i]);
    w.Counted(true, type.helpString);
    w.U16(0xFFFF);
    w.U32(type.helpContext);
    w.U16(0xFFFF);
    w.Guid(type.guid);
    w.U16(static_cast<std::uint16_t>(type.kind));
  }
  w.U16(0);
  const auto x = static_cast<std::uint32_t>(w.size() + 4);
  w.U32(x);
  if (fixture.nameTableMarker) {
    w.U16(0x0200);
    w.Zeros(0x20 - 2);
  }
  w.Zeros(0x216 + 2);
  w.Text(names.text);
  return w.bytes;
}

std::string IndexStrings(const std::vector<formats::TypeInfo>& types) {
  std::string index("\x01" "CompObj", 8);
  index += '\0';
  index += "dir";
  index += '\0';
  for (const auto& type : types) {
    std::string name = IndexName(type.name);
    name.resize(kIndexNameLength + 1, '\0');
    index += name;
  }
  std::string library = "library";
  library.resize(kIndexNameLength + 1, '\0');
  return index + library;
}

struct Built {
  std::vector<std::uint8_t> bytes;
  SltgLayout layout;
};

Built Build(const SltgFixture& fixture) {
  const auto types = AllTypes(fixture);
  // The type names come first and the library's name after them, then the
  // imports' descriptions and the members' names.
  NameTable names;
  std::vector<std::uint16_t> typeNameOffsets;
  for (const auto& type : types) typeNameOffsets.push_back(names.Add(type.name));
  const std::uint16_t libNameOffset = names.Add(fixture.name);
  std::vector<std::uint16_t> importNames;
  for (const auto& lib : fixture.imports) importNames.push_back(names.Add(ImportText(lib)));

  std::vector<std::vector<std::uint8_t>> content;  // in chain order
  for (const auto& type : types) content.push_back(sltg::TypeInfoBlock(type, names, importNames));
  content.push_back(LibraryBlock(fixture, types, typeNameOffsets, libNameOffset, names));
  const std::size_t blocks = content.size();
  const std::string index = IndexStrings(types);

  // Chain position c (0-based) is stored as entry slot(c), 1-based.
  auto slot = [&](std::size_t c) { return fixture.reverseEntries ? blocks - c : c + 1; };

  Built built;
  Writer w;
  w.Text("SLTG");
  w.U16(static_cast<std::uint16_t>(blocks + 1));
  w.U16(9);
  w.U16(static_cast<std::uint16_t>(index.size()));
  w.U16(static_cast<std::uint16_t>(slot(0)));
  const formats::Guid marker = {0xFF, 0x04, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
  w.Guid(marker);
  w.U32(0x44);
  w.U32(0xFFFF0000u);
  built.layout.blockEntries = w.size();
  for (std::size_t s = 1; s <= blocks; ++s) {
    std::size_t c = 0;
    while (slot(c) != s) ++c;
    w.U32(static_cast<std::uint32_t>(content[c].size()));
    w.U16(static_cast<std::uint16_t>(8 + 4 + (kIndexNameLength + 1) * c));
    w.U16(c + 1 < blocks ? static_cast<std::uint16_t>(slot(c + 1)) : 0);
  }
  w.Text(index);
  w.Zeros(9);
  for (std::size_t c = 0; c < blocks; ++c) {
    (c + 1 < blocks ? built.layout.typeInfoBlocks.emplace_back() : built.layout.libraryBlock) = w.size();
    w.Append(content[c]);
  }
  built.bytes = std::move(w.bytes);
  return built;
}

}  // namespace

SltgLayout LayoutOf(const SltgFixture& fixture) { return Build(fixture).layout; }

std::vector<std::uint8_t> BuildSltg(const SltgFixture& fixture) { return Build(fixture).bytes; }

}  // namespace korvane::test
