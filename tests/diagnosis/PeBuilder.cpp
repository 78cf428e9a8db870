#include "PeBuilder.h"

namespace korvane::test {

namespace {

constexpr std::uint16_t kMachineAmd64 = 0x8664;
constexpr std::uint16_t kMachineArm64 = 0xAA64;
constexpr std::uint32_t kPeAt = 0x40;
constexpr std::uint32_t kFileAlign = 0x200;
constexpr std::uint32_t kSectionAlign = 0x1000;
constexpr std::uint16_t kDllCharacteristics = 0x2022;  // DLL, executable, large addresses
constexpr std::uint32_t kSectionFlags = 0xC0000040;    // initialised data, read, write
constexpr std::uint32_t kDescriptorSize = 20;
constexpr std::uint32_t kExportHeaderSize = 40;

std::uint32_t AlignUp(std::uint32_t v, std::uint32_t a) { return (v + a - 1) / a * a; }

}  // namespace

void PutU16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) {
  for (int i = 0; i < 2; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void PutU32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void PutU64(std::vector<std::uint8_t>& b, std::size_t at, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

PeBuilder::PeBuilder(std::uint16_t machine)
    : machine_(machine), is64_(machine == kMachineAmd64 || machine == kMachineArm64) {}

std::uint32_t PeBuilder::Add(const std::vector<std::uint8_t>& bytes, std::uint32_t align) {
  section_.resize(AlignUp(static_cast<std::uint32_t>(section_.size()), align));
  const auto rva = kSectionRva + static_cast<std::uint32_t>(section_.size());
  section_.insert(section_.end(), bytes.begin(), bytes.end());
  return rva;
}

std::uint32_t PeBuilder::AddName(const std::string& name, bool hint) {
  std::vector<std::uint8_t> bytes(hint ? 2 : 0, 0);
  bytes.insert(bytes.end(), name.begin(), name.end());
  bytes.push_back(0);
  return Add(bytes, hint ? 2 : 1);
}

std::uint64_t PeBuilder::OrdinalThunk(std::uint16_t ordinal) const {
  return (is64_ ? std::uint64_t{1} << 63 : std::uint64_t{0x80000000u}) | ordinal;
}

std::uint32_t PeBuilder::AddLookupTable(const std::vector<std::uint64_t>& thunks) {
  const std::uint32_t width = is64_ ? 8 : 4;
  std::vector<std::uint8_t> bytes((thunks.size() + 1) * width, 0);
  for (std::size_t i = 0; i < thunks.size(); ++i) {
    if (is64_) {
      PutU64(bytes, i * width, thunks[i]);
    } else {
      PutU32(bytes, i * width, static_cast<std::uint32_t>(thunks[i]));
    }
  }
  return Add(bytes, width);
}

void PeBuilder::SetImports(const std::vector<Import>& imports) {
  std::vector<std::uint32_t> names;
  for (const Import& i : imports) names.push_back(AddName(i.dll));
  std::vector<std::uint8_t> table((imports.size() + 1) * kDescriptorSize, 0);
  for (std::size_t i = 0; i < imports.size(); ++i) {
    PutU32(table, i * kDescriptorSize + 0, imports[i].lookupTable);
    PutU32(table, i * kDescriptorSize + 12, names[i]);
    PutU32(table, i * kDescriptorSize + 16, imports[i].lookupTable);
  }
  SetDirectory(1, Add(table), static_cast<std::uint32_t>(table.size()));
}

PeBuilder::Directory PeBuilder::SetExports(const std::string& dll, const std::vector<Export>& exports) {
  std::vector<std::uint32_t> nameRvas;
  std::vector<std::uint16_t> named;
  for (std::size_t i = 0; i < exports.size(); ++i) {
    if (exports[i].name.empty()) continue;
    nameRvas.push_back(AddName(exports[i].name));
    named.push_back(static_cast<std::uint16_t>(i));
  }
  const std::uint32_t dllName = AddName(dll);
  const auto count = static_cast<std::uint32_t>(exports.size());
  const auto nameCount = static_cast<std::uint32_t>(nameRvas.size());
  const std::uint32_t functions = kExportHeaderSize;
  const std::uint32_t namesAt = functions + 4 * count;
  const std::uint32_t ordinalsAt = namesAt + 4 * nameCount;
  std::vector<std::uint8_t> block(ordinalsAt + 2 * nameCount, 0);
  std::vector<std::uint32_t> forwarders(count, 0);
  for (std::uint32_t i = 0; i < count; ++i) {
    if (exports[i].forwarder.empty()) continue;
    forwarders[i] = static_cast<std::uint32_t>(block.size());
    block.insert(block.end(), exports[i].forwarder.begin(), exports[i].forwarder.end());
    block.push_back(0);
  }
  const std::uint32_t dir = Add(block);
  const auto put32 = [&](std::uint32_t offset, std::uint32_t v) { PutU32(section_, dir - kSectionRva + offset, v); };
  put32(12, dllName);
  put32(16, 1);
  put32(20, count);
  put32(24, nameCount);
  put32(28, dir + functions);
  put32(32, dir + namesAt);
  put32(36, dir + ordinalsAt);
  for (std::uint32_t i = 0; i < count; ++i) {
    put32(functions + 4 * i, exports[i].forwarder.empty() ? exports[i].address : dir + forwarders[i]);
  }
  for (std::uint32_t i = 0; i < nameCount; ++i) {
    put32(namesAt + 4 * i, nameRvas[i]);
    PutU16(section_, dir - kSectionRva + ordinalsAt + 2 * i, named[i]);
  }
  const auto size = static_cast<std::uint32_t>(block.size());
  SetDirectory(0, dir, size);
  return {dir, size};
}

void PeBuilder::SetDirectory(std::size_t index, std::uint32_t rva, std::uint32_t size) {
  directories_[index][0] = rva;
  directories_[index][1] = size;
}

std::vector<std::uint8_t> PeBuilder::Build() const {
  const std::uint16_t optionalSize = is64_ ? 240 : 224;
  const std::uint32_t sectionTable = kPeAt + 4 + 20 + optionalSize;
  const std::uint32_t headers = AlignUp(sectionTable + 40, kFileAlign);
  const auto raw = AlignUp(static_cast<std::uint32_t>(section_.size()) + 1, kFileAlign);
  std::vector<std::uint8_t> b(headers + raw, 0);
  b[0] = 'M';
  b[1] = 'Z';
  PutU32(b, 0x3C, kPeAt);
  PutU32(b, kPeAt, 0x00004550);
  const std::uint32_t coff = kPeAt + 4;
  PutU16(b, coff + 0, machine_);
  PutU16(b, coff + 2, 1);
  PutU16(b, coff + 16, optionalSize);
  PutU16(b, coff + 18, kDllCharacteristics);
  const std::uint32_t opt = coff + 20;
  PutU16(b, opt, is64_ ? 0x20B : 0x10B);
  if (is64_) {
    PutU64(b, opt + 24, 0x180000000ull);
  } else {
    PutU32(b, opt + 28, 0x10000000u);
  }
  PutU32(b, opt + 32, kSectionAlign);
  PutU32(b, opt + 36, kFileAlign);
  PutU32(b, opt + 56, kSectionRva + AlignUp(raw, kSectionAlign));
  PutU32(b, opt + 60, headers);
  PutU16(b, opt + 68, 3);  // console subsystem
  const std::uint32_t dirs = opt + (is64_ ? 112 : 96);
  PutU32(b, dirs - 4, 16);
  for (std::size_t i = 0; i < 16; ++i) {
    PutU32(b, dirs + i * 8, directories_[i][0]);
    PutU32(b, dirs + i * 8 + 4, directories_[i][1]);
  }
  PutU32(b, sectionTable + 8, raw);
  PutU32(b, sectionTable + 12, kSectionRva);
  PutU32(b, sectionTable + 16, raw);
  PutU32(b, sectionTable + 20, headers);
  PutU32(b, sectionTable + 36, kSectionFlags);
  std::copy(section_.begin(), section_.end(), b.begin() + headers);
  return b;
}

}  // namespace korvane::test
