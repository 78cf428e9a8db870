#include "SltgBuilder.h"

namespace korvane::test {

namespace {

class Writer {
 public:
  void U8(std::uint8_t v) { bytes.push_back(v); }
  void U16(std::uint16_t v) {
    U8(static_cast<std::uint8_t>(v));
    U8(static_cast<std::uint8_t>(v >> 8));
  }
  void U32(std::uint32_t v) {
    U16(static_cast<std::uint16_t>(v));
    U16(static_cast<std::uint16_t>(v >> 16));
  }
  void Text(const std::string& s) { bytes.insert(bytes.end(), s.begin(), s.end()); }
  void Counted(bool present, const std::string& s) {
    if (!present) {
      U16(0xFFFF);
      return;
    }
    U16(static_cast<std::uint16_t>(s.size()));
    Text(s);
  }
  void Zeros(std::size_t n) { bytes.insert(bytes.end(), n, 0); }
  void Guid(const formats::Guid& g) { bytes.insert(bytes.end(), g.begin(), g.end()); }
  std::size_t size() const { return bytes.size(); }

  std::vector<std::uint8_t> bytes;
};

std::vector<std::uint8_t> LibraryBlock(const SltgFixture& fixture) {
  // Name table: the type names first, then the library's name.
  std::string names;
  std::vector<std::uint16_t> typeNameOffsets;
  for (const auto& type : fixture.typeNames) {
    typeNameOffsets.push_back(static_cast<std::uint16_t>(names.size()));
    names += type;
    names += '\0';
  }
  const auto libNameOffset = static_cast<std::uint16_t>(names.size());
  names += fixture.name;
  names += '\0';

  Writer w;
  w.U16(0x51CC);
  w.U16(4);
  w.U16(libNameOffset);
  w.U16(0xFFFF);
  w.Counted(fixture.hasHelpString, fixture.helpString);
  w.Counted(fixture.hasHelpFile, fixture.helpFile);
  w.U32(0);  // help context
  w.U16(fixture.sysKind);
  w.U16(fixture.lcid);
  w.U32(0);
  w.U16(fixture.libFlags);
  w.U16(fixture.major);
  w.U16(fixture.minor);
  w.Guid(fixture.guid);
  w.Zeros(0x40);
  for (std::size_t i = 0; i < fixture.typeNames.size(); ++i) {
    w.U16(static_cast<std::uint16_t>(i));
    w.Counted(true, fixture.typeNames[i]);
    w.Counted(false, "");
    w.U16(0);
    w.U16(typeNameOffsets[i]);
    w.Counted(true, "type help");
    w.U16(0);
    w.U32(0);
    w.U16(0);
    w.Guid(fixture.guid);
    w.U16(0);  // TKIND_ENUM
  }
  w.U16(0);
  const auto x = static_cast<std::uint32_t>(w.size() + 4);
  w.U32(x);
  if (fixture.nameTableMarker) {
    w.U16(0x0200);
    w.Zeros(0x20 - 2);
  }
  w.Zeros(0x216 + 2);
  w.Text(names);
  return w.bytes;
}

std::string IndexStrings(std::size_t blocks) {
  std::string index("\x01" "CompObj", 8);
  index += '\0';
  index += "dir";
  index += '\0';
  for (std::size_t i = 0; i < blocks; ++i) {
    std::string name = "blk" + std::to_string(i);
    name.resize(11, '\0');
    index += name;
  }
  return index;
}

}  // namespace

SltgLayout LayoutOf(const SltgFixture& fixture) {
  const std::size_t blocks = fixture.typeNames.size() + 1;
  SltgLayout layout;
  layout.blockEntries = 0x24;
  layout.libraryBlock = 0x24 + 8 * blocks + IndexStrings(blocks).size() + 9 + 16 * fixture.typeNames.size();
  return layout;
}

std::vector<std::uint8_t> BuildSltg(const SltgFixture& fixture) {
  const std::size_t blocks = fixture.typeNames.size() + 1;
  std::vector<std::vector<std::uint8_t>> content;  // in chain order
  for (std::size_t i = 0; i < fixture.typeNames.size(); ++i) content.emplace_back(16, static_cast<std::uint8_t>(i));
  content.push_back(LibraryBlock(fixture));
  const std::string index = IndexStrings(blocks);

  // Chain position c (0-based) is stored as entry slot(c), 1-based.
  auto slot = [&](std::size_t c) { return fixture.reverseEntries ? blocks - c : c + 1; };

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
  for (std::size_t s = 1; s <= blocks; ++s) {
    std::size_t c = 0;
    while (slot(c) != s) ++c;
    w.U32(static_cast<std::uint32_t>(content[c].size()));
    w.U16(static_cast<std::uint16_t>(8 + 4 + 11 * c));
    w.U16(c + 1 < blocks ? static_cast<std::uint16_t>(slot(c + 1)) : 0);
  }
  w.Text(index);
  w.Zeros(9);
  for (const auto& block : content) w.bytes.insert(w.bytes.end(), block.begin(), block.end());
  return w.bytes;
}

}  // namespace korvane::test
