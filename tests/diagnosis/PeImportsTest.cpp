// The import and export reader on libraries the MinGW and LLVM linkers wrote,
// and on damaged copies of them.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "Fixtures.h"
#include "PeBuilder.h"
#include "formats/PeImports.h"
#include "support/Boundary.h"

namespace korvane {
namespace {

using formats::ErrorKind;
using formats::PeModuleInfo;
using test::DiagnosisFixture;
using test::ReadBytes;
using Bytes = std::vector<std::uint8_t>;

// The kind of the header error or of the directory damage; nullopt for a clean read.
std::optional<ErrorKind> Read(const Bytes& bytes, PeModuleInfo& info,
                              formats::PeModuleParts parts = formats::PeModuleParts::kAll) {
  auto read = formats::ReadPeModule(bytes, parts);
  if (!read) {
    info = PeModuleInfo{};
    return read.error().kind;
  }
  info = std::move(*read);
  if (info.damage) return info.damage->kind;
  return std::nullopt;
}

PeModuleInfo ReadFixture(const std::string& relative) {
  const Bytes bytes = ReadBytes(DiagnosisFixture(relative));
  PeModuleInfo info;
  EXPECT_EQ(Read(bytes, info), std::nullopt) << relative;
  return info;
}

const formats::ExportedFunction* FindExport(const PeModuleInfo& info, const std::string& name) {
  for (const auto& e : info.exports) {
    if (e.name == name) return &e;
  }
  return nullptr;
}

using test::PutU32;

std::uint32_t U32(const Bytes& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24);
}
// The file offset of data directory entry index (PE32 or PE32+).
std::size_t DirectoryEntry(const Bytes& b, std::size_t index) {
  const std::size_t optional = U32(b, 0x3C) + 4 + 20;
  const bool pe32Plus = b[optional] == 0x0B && b[optional + 1] == 0x02;
  return optional + (pe32Plus ? 112 : 96) + index * 8;
}

// The fixtures' components have the program's width; otherwidth/ the other one.
const bool kProgram64 = sizeof(void*) == 8;

TEST(PeImports, HeadersOfBothWidths) {
  const PeModuleInfo ok = ReadFixture("ok/ok.dll");
  const PeModuleInfo other = ReadFixture("otherwidth/comp_other.dll");
  const PeModuleInfo& x64 = kProgram64 ? ok : other;
  const PeModuleInfo& x86 = kProgram64 ? other : ok;
  EXPECT_EQ(x64.machine, formats::kMachineAmd64);
  EXPECT_TRUE(x64.is64);
  EXPECT_TRUE(x64.isDll);
  EXPECT_EQ(x64.subsystem, formats::kSubsystemWindowsConsole);
  EXPECT_EQ(x86.machine, formats::kMachineI386);
  EXPECT_FALSE(x86.is64);
  EXPECT_TRUE(x86.isDll);
  EXPECT_EQ(formats::MachineName(x86.machine), "x86");
  EXPECT_EQ(formats::MachineName(0x1234), "machine 0x1234");
}

TEST(PeImports, ImportsByNameAndByOrdinal) {
  const PeModuleInfo info = ReadFixture("ok/ok.dll");
  ASSERT_EQ(info.imports.size(), 1u);
  const auto& base = info.imports[0];
  EXPECT_EQ(base.dllName, "base.dll");
  EXPECT_FALSE(base.delayLoaded);
  ASSERT_EQ(base.functions.size(), 2u);
  EXPECT_EQ(base.functions[0].name, "BaseFunc");
  EXPECT_FALSE(base.functions[0].byOrdinal);
  EXPECT_TRUE(base.functions[1].byOrdinal);
  EXPECT_EQ(base.functions[1].ordinal, 7);
}

TEST(PeImports, ExportsByNameOrdinalOnlyAndForwarded) {
  const PeModuleInfo base = ReadFixture("ok/base.dll");
  EXPECT_EQ(base.exportName, "base.dll");
  ASSERT_NE(FindExport(base, "BaseFunc"), nullptr);
  const auto byOrdinal = std::find_if(base.exports.begin(), base.exports.end(),
                                      [](const auto& e) { return e.ordinal == 7; });
  ASSERT_NE(byOrdinal, base.exports.end());
  EXPECT_TRUE(byOrdinal->name.empty());

  const PeModuleInfo fwd = ReadFixture("forward/fwd.dll");
  const auto* forwarded = FindExport(fwd, "Forwarded");
  const auto* broken = FindExport(fwd, "Broken");
  ASSERT_NE(forwarded, nullptr);
  ASSERT_NE(broken, nullptr);
  EXPECT_EQ(forwarded->forwarder, "base.BaseFunc");
  EXPECT_EQ(broken->forwarder, "base.NoSuchFunction");
  EXPECT_TRUE(FindExport(base, "BaseFunc")->forwarder.empty());
}

TEST(PeImports, DelayLoadImports) {
  const PeModuleInfo info = ReadFixture("delay/delay_ghost.dll");
  ASSERT_EQ(info.imports.size(), 1u);
  EXPECT_EQ(info.imports[0].dllName, "ghost.dll");
  EXPECT_TRUE(info.imports[0].delayLoaded);
  ASSERT_EQ(info.imports[0].functions.size(), 1u);
  EXPECT_EQ(info.imports[0].functions[0].name, "GhostFunc");
}

TEST(PeImports, HeadersOnlyLeavesTheDirectoriesUnread) {
  const Bytes bytes = ReadBytes(DiagnosisFixture("ok/ok.dll"));
  PeModuleInfo info;
  EXPECT_EQ(Read(bytes, info, formats::PeModuleParts::kHeadersOnly), std::nullopt);
  EXPECT_EQ(info.machine, kProgram64 ? formats::kMachineAmd64 : formats::kMachineI386);
  EXPECT_TRUE(info.imports.empty());
  EXPECT_TRUE(info.exports.empty());
}

TEST(PeImports, NotAnImage) {
  PeModuleInfo info;
  EXPECT_EQ(Read(ReadBytes(DiagnosisFixture("notpe/readme.dll")), info), ErrorKind::kNotPe);
  EXPECT_EQ(Read(Bytes{}, info), ErrorKind::kNotPe);
}

// Every cut of a real image gives an error or a consistent result, never a crash.
TEST(PeImports, EveryTruncationIsSafe) {
  for (const char* name : {"ok/ok.dll", "forward/fwd.dll", "delay/delay_ghost.dll", "otherwidth/comp_other.dll"}) {
    const Bytes whole = ReadBytes(DiagnosisFixture(name));
    for (std::size_t size = 0; size < whole.size(); size += 7) {
      const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
      PeModuleInfo info;
      if (Read(cut, info) == std::nullopt) {
        EXPECT_LE(info.imports.size(), 1u) << name << " cut at " << size;
      }
    }
  }
}

// Damage to one directory: that directory's error, with what was read before it kept.
TEST(PeImports, DamagedDirectories) {
  const Bytes ok = ReadBytes(DiagnosisFixture("ok/ok.dll"));
  const Bytes fwd = ReadBytes(DiagnosisFixture("forward/fwd.dll"));
  struct Case {
    const char* what;
    const Bytes* image;
    std::size_t directory;
    std::size_t field;       // offset inside the directory's first structure
    std::uint32_t value;
    ErrorKind expected;
  };
  const Case cases[] = {
      {"import directory outside the image", &ok, 1, SIZE_MAX, 0x7FFFFFF0u, ErrorKind::kBadImports},
      {"import name outside the image", &ok, 1, 12, 0x7FFFFFF0u, ErrorKind::kBadImports},
      {"import lookup table outside the image", &ok, 1, 0, 0x7FFFFFF0u, ErrorKind::kBadImports},
      {"export directory outside the image", &fwd, 0, SIZE_MAX, 0x7FFFFFF0u, ErrorKind::kBadExports},
      {"more exported functions than ordinals", &fwd, 0, 20, 0x00100000u, ErrorKind::kTooManyNames},
      {"export address table outside the image", &fwd, 0, 28, 0x7FFFFFF0u, ErrorKind::kBadExports},
      {"export name table outside the image", &fwd, 0, 32, 0x7FFFFFF0u, ErrorKind::kBadExports},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes b = *c.image;
    const std::size_t entry = DirectoryEntry(b, c.directory);
    if (c.field == SIZE_MAX) {
      PutU32(b, entry, c.value);
    } else {
      // The directory's RVA maps to a file offset through its section; find it
      // by reading the undamaged image's own structure offsets.
      const std::uint32_t rva = U32(b, entry);
      const std::size_t sections = U32(b, 0x3C) + 4 + 20 + (b[U32(b, 0x3C) + 4 + 16] | (b[U32(b, 0x3C) + 4 + 17] << 8));
      std::size_t offset = SIZE_MAX;
      for (std::size_t s = sections; s + 40 <= b.size() && offset == SIZE_MAX; s += 40) {
        const std::uint32_t va = U32(b, s + 12), raw = U32(b, s + 16), pointer = U32(b, s + 20);
        if (raw != 0 && rva >= va && rva < va + raw) offset = pointer + (rva - va);
      }
      ASSERT_NE(offset, SIZE_MAX);
      PutU32(b, offset + c.field, c.value);
    }
    PeModuleInfo info;
    EXPECT_EQ(Read(b, info), c.expected);
    EXPECT_EQ(info.machine, kProgram64 ? formats::kMachineAmd64 : formats::kMachineI386);  // headers still read
  }
}

// An export whose address lies inside [directory, directory + size) is a
// forwarder; one just past the directory's end is code.
TEST(PeImports, ForwarderOnlyInsideTheExportDirectory) {
  const std::string forwarder = "base.BaseFunc";
  const std::vector<test::Boundary> cases = {
      {"the forwarder string's first byte against the directory's end",
       [&](int delta) {
         test::PeBuilder pe(formats::kMachineAmd64);
         const auto dir = pe.SetExports("fwd.dll", {{"Fwd", 0, forwarder}});
         // The string ends the directory; the smallest size that still holds its first byte:
         const auto holding = dir.size - static_cast<std::uint32_t>(forwarder.size());
         pe.SetDirectory(formats::kPeDirectoryExport, dir.rva, static_cast<std::uint32_t>(holding + delta));
         return pe.Build();
       },
       "code", "forwarder base.BaseFunc", "forwarder base.BaseFunc"},
  };
  test::ExpectAtLimits(cases, [](const Bytes& bytes) -> std::string {
    PeModuleInfo info;
    if (Read(bytes, info) != std::nullopt) return "damaged";
    const auto* f = FindExport(info, "Fwd");
    if (f == nullptr) return "missing";
    return f->forwarder.empty() ? "code" : "forwarder " + std::string(f->forwarder);
  });
}

// Descriptors and thunks that all point at one name hold it once; names at
// ever new addresses stop at the module's name budget.
TEST(PeImports, NamesAreReadOncePerAddressAndBounded) {
  test::PeBuilder shared(formats::kMachineAmd64);
  const std::string longName(formats::kMaxImportNameLength - 1, 'N');
  const std::uint32_t table = shared.AddLookupTable(std::vector<std::uint64_t>(1024, shared.AddName(longName, true)));
  std::vector<test::PeBuilder::Import> imports;
  for (int i = 0; i < 40; ++i) imports.push_back({"m" + std::to_string(i) + ".dll", table});
  shared.SetImports(imports);
  PeModuleInfo info;
  EXPECT_EQ(Read(shared.Build(), info), std::nullopt);
  ASSERT_EQ(info.imports.size(), 40u);
  ASSERT_NE(info.names, nullptr);
  EXPECT_EQ(info.names->Bytes(), longName.size());
  EXPECT_EQ(info.imports[0].functions[0].name, longName);
  for (const auto& m : info.imports) {
    ASSERT_EQ(m.functions.size(), 1024u);
    EXPECT_EQ(m.functions.back().name.data(), info.imports[0].functions[0].name.data());
  }

  // Every address of ten 1 KB names is the start of another (shorter) name:
  // about 5 MB of distinct names from a 10 KB region.
  test::PeBuilder overlapping(formats::kMachineAmd64);
  constexpr std::size_t kRuns = 10;
  Bytes region(2, 0);  // the first name's hint
  for (std::size_t r = 0; r < kRuns; ++r) {
    region.insert(region.end(), formats::kMaxImportNameLength - 1, 'A');
    region.push_back(0);
  }
  const std::uint32_t start = overlapping.Add(region, 2);
  std::vector<std::uint64_t> thunks;
  for (std::uint32_t at = 0; at < kRuns * formats::kMaxImportNameLength; ++at) thunks.push_back(start + at);
  overlapping.SetImports({{"many.dll", overlapping.AddLookupTable(thunks)}});
  EXPECT_EQ(Read(overlapping.Build(), info), ErrorKind::kTooManyNames);
  EXPECT_LE(info.names->Bytes(), formats::kMaxModuleNameBytes);
}

}  // namespace
}  // namespace korvane
