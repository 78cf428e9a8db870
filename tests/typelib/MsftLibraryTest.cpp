// The whole content of MSFT libraries: rich.idl (every kind of type) built by
// the IDL compiler for both platforms, read field by field.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <stdexcept>
#include <tuple>

#include "TestFiles.h"
#include "formats/TextCodec.h"
#include "support/TempDir.h"
#include "formats/TypeLibModel.h"
#include "platform/TypeLibFile.h"

namespace korvane::formats {
namespace {

const TypeLibrary& Rich(int bits) {
  static const auto read = [](const char* path) {
    auto lib = ReadMsftTypeLibrary(test::ReadBytes(path));
    if (!lib) {
      ADD_FAILURE() << path << ": " << lib.error().message;
      return TypeLibrary{};
    }
    return *lib;
  };
  static const TypeLibrary rich32 = read(KORVANE_FIXTURE_RICH32_TLB);
  static const TypeLibrary rich64 = read(KORVANE_FIXTURE_RICH64_TLB);
  return bits == 32 ? rich32 : rich64;
}

const TypeInfo& Type(const TypeLibrary& lib, const std::string& name) {
  const auto found =
      std::find_if(lib.types.begin(), lib.types.end(), [&](const TypeInfo& t) { return t.name == name; });
  if (found == lib.types.end()) throw std::runtime_error("no type " + name);
  return *found;
}

const Function& Func(const TypeInfo& type, const std::string& name, InvokeKind invoke = InvokeKind::kFunc) {
  const auto found = std::find_if(type.functions.begin(), type.functions.end(), [&](const Function& f) {
    // The name table keeps one spelling per name whatever its letter case.
    return EqualsIgnoringAsciiCase(f.name, name) && f.invokeKind == invoke;
  });
  if (found == type.functions.end()) throw std::runtime_error("no function " + name);
  return *found;
}

TypeDesc Plain(std::uint16_t type) { return TypeDesc{type, {}, {}, {}}; }
TypeDesc Of(std::uint16_t type, TypeDesc element, std::vector<ArrayBound> bounds = {}) {
  return TypeDesc{type, {std::move(element)}, std::move(bounds), {}};
}
TypeDesc Local(int index, const std::string& name) {
  return TypeDesc{vt::kUserDefined, {}, {}, TypeRef{index, -1, {}, name}};
}

Guid GuidOf(std::uint32_t data1, std::uint16_t data2, std::uint16_t data3, std::array<std::uint8_t, 8> rest) {
  Guid g{};
  for (int i = 0; i < 4; ++i) g[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(data1 >> (8 * i));
  g[4] = static_cast<std::uint8_t>(data2);
  g[5] = static_cast<std::uint8_t>(data2 >> 8);
  g[6] = static_cast<std::uint8_t>(data3);
  g[7] = static_cast<std::uint8_t>(data3 >> 8);
  std::copy(rest.begin(), rest.end(), g.begin() + 8);
  return g;
}
const Guid kOleLibrary = GuidOf(0x00020430, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46});
const Guid kUnknown = GuidOf(0x00000000, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46});
const Guid kDispatch = GuidOf(0x00020400, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46});
const Guid kCustomGuid = GuidOf(0x0F21F359, 0xAB84, 0x41E8, {0x9A, 0x78, 0x36, 0xD1, 0x10, 0xE6, 0xD2, 0xF9});

Value Int(std::uint16_t type, std::int64_t v) { return Value{type, v}; }
Value UInt(std::uint16_t type, std::uint64_t v) { return Value{type, v}; }
Value Text(std::uint16_t type, std::string v) { return Value{type, std::move(v)}; }

class RichLibrary : public ::testing::TestWithParam<int> {
 protected:
  const TypeLibrary& lib() const { return Rich(GetParam()); }
  std::uint32_t ptr() const { return GetParam() == 32 ? 4u : 8u; }
};

INSTANTIATE_TEST_SUITE_P(BothPlatforms, RichLibrary, ::testing::Values(32, 64),
                         [](const auto& param) { return "win" + std::to_string(param.param); });

TEST_P(RichLibrary, LibraryFieldsAndImports) {
  EXPECT_EQ(lib().attributes.name, "KorvaneRich");
  EXPECT_EQ(lib().helpContext, 0x77u);
  ASSERT_EQ(lib().imports.size(), 1u);
  EXPECT_EQ(lib().imports[0], (ImportedLibrary{kOleLibrary, 2, 0, 0, "stdole2.tlb"}));
  // The compiler adds its own entries (time, version) beside the library's.
  const auto own = std::find_if(lib().custom.begin(), lib().custom.end(),
                                [](const CustomData& c) { return c.guid == kCustomGuid; });
  ASSERT_NE(own, lib().custom.end());
  EXPECT_EQ(own->value, Text(vt::kBstr, "rich library"));
}

TEST_P(RichLibrary, TypeInfosInFileOrder) {
  struct Row {
    const char* name;
    TypeKind kind;
    std::uint32_t flags;
    const char* help;
    std::size_t functions, variables, implemented;
    std::uint16_t alignment;  // 0: the platform's pointer size
  };
  const Row rows[] = {
      {"Shade", TypeKind::kEnum, 0, "Shades", 0, 3, 0, 4},
      {"Pair", TypeKind::kRecord, 0, "", 0, 5, 0, 8},
      {"Either", TypeKind::kUnion, 0, "", 0, 2, 0, 4},
      {"Handle", TypeKind::kAlias, 0, "", 0, 0, 0, 4},
      {"PairPointer", TypeKind::kAlias, 0, "", 0, 0, 0, 0},
      {"Functions", TypeKind::kModule, 0, "Module", 2, 0, 0, 1},
      {"IPlain", TypeKind::kInterface, 0, "Plain", 5, 0, 1, 0},
      {"IDualThing", TypeKind::kInterface,
       kTypeFlagDual | kTypeFlagOleAutomation | kTypeFlagDispatchable, "Dual", 3, 0, 1, 0},
      {"DEvents", TypeKind::kDispatch, kTypeFlagDispatchable, "Events", 1, 1, 1, 0},
      {"Thing", TypeKind::kCoClass, kTypeFlagCanCreate, "Thing", 0, 0, 3, 4},
  };
  ASSERT_EQ(lib().types.size(), std::size(rows));
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const Row& row = rows[i];
    const TypeInfo& t = lib().types[i];
    SCOPED_TRACE(row.name);
    EXPECT_EQ(t.name, row.name);
    EXPECT_EQ(t.kind, row.kind);
    EXPECT_EQ(t.flags, row.flags);
    EXPECT_EQ(t.helpString, row.help);
    EXPECT_EQ(t.functions.size(), row.functions);
    EXPECT_EQ(t.variables.size(), row.variables);
    EXPECT_EQ(t.implemented.size(), row.implemented);
    EXPECT_EQ(t.alignment, row.alignment ? row.alignment : ptr());
  }
  const TypeInfo& shade = Type(lib(), "Shade");
  EXPECT_EQ(shade.guid, GuidOf(0x7C2D4E11, 0x3B6A, 0x4F21, {0x8E, 0x4D, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x60}));
  EXPECT_EQ(Type(lib(), "Pair").guid, Guid{});
  EXPECT_EQ(Type(lib(), "Pair").instanceSize, GetParam() == 32 ? 40u : 48u);
  EXPECT_EQ(Type(lib(), "IPlain").helpContext, 5u);
  EXPECT_EQ(Type(lib(), "IPlain").vtableSize, 8 * ptr());
  EXPECT_EQ(Type(lib(), "IDualThing").vtableSize, 10 * ptr());
  EXPECT_EQ(Type(lib(), "Thing").majorVersion, 1);
  EXPECT_EQ(Type(lib(), "Thing").minorVersion, 5);
  EXPECT_EQ(Type(lib(), "Functions").dllName, "korvane.dll");
}

TEST_P(RichLibrary, TypeDescriptions) {
  const TypeInfo& pair = Type(lib(), "Pair");
  const std::pair<const char*, TypeDesc> fields[] = {
      {"first", Plain(vt::kI4)},
      {"second", Plain(vt::kR8)},
      {"name", Of(vt::kCArray, Plain(vt::kI1), {{8, 0}})},
      {"grid", Of(vt::kCArray, Plain(vt::kI2), {{2, 0}, {3, 0}})},
      {"text", Of(vt::kPtr, Plain(vt::kBstr))},
  };
  ASSERT_EQ(pair.variables.size(), std::size(fields));
  for (std::size_t i = 0; i < std::size(fields); ++i) {
    EXPECT_EQ(pair.variables[i].name, fields[i].first);
    EXPECT_EQ(pair.variables[i].type, fields[i].second) << fields[i].first;
    EXPECT_EQ(pair.variables[i].varKind, VarKind::kPerInstance);
  }
  EXPECT_EQ(pair.variables[1].offset, 8u);

  EXPECT_EQ(Type(lib(), "Handle").aliasOf, Plain(vt::kI4));
  EXPECT_EQ(Type(lib(), "PairPointer").aliasOf, Of(vt::kPtr, Local(1, "Pair")));

  const TypeInfo& plain = Type(lib(), "IPlain");
  const std::pair<const char*, std::vector<TypeDesc>> params[] = {
      {"Take", {Of(vt::kPtr, Local(1, "Pair")), Of(vt::kPtr, Local(0, "Shade")), Of(vt::kPtr, Plain(vt::kI4))}},
      {"Arrays",
       {Of(vt::kSafeArray, Plain(vt::kBstr)), Of(vt::kPtr, Of(vt::kSafeArray, Plain(vt::kVariant))),
        Local(3, "Handle")}},
      {"Imported",
       {Plain(vt::kDispatch), Plain(vt::kUnknown),
        // GUID has no GUID of its own: the file names it by its index in stdole2.tlb.
        Of(vt::kPtr, TypeDesc{vt::kUserDefined, {}, {}, TypeRef{-1, 0, {}, "", 0}})}},
  };
  for (const auto& [name, types] : params) {
    const Function& f = Func(plain, name);
    EXPECT_EQ(f.returnType, Plain(vt::kHresult)) << name;
    ASSERT_EQ(f.params.size(), types.size()) << name;
    for (std::size_t i = 0; i < types.size(); ++i) EXPECT_EQ(f.params[i].type, types[i]) << name << " " << i;
  }
}

TEST_P(RichLibrary, Functions) {
  const TypeInfo& plain = Type(lib(), "IPlain");
  const Function& take = Func(plain, "Take");
  EXPECT_EQ(take.funcKind, FuncKind::kPureVirtual);
  EXPECT_EQ(take.callConv, CallConv::kStdCall);
  EXPECT_EQ(take.vtableOffset, static_cast<std::int16_t>(3 * ptr()));
  EXPECT_EQ(take.helpString, "Takes all");
  EXPECT_EQ(take.helpContext, 9u);
  ASSERT_EQ(take.params.size(), 3u);
  EXPECT_EQ(take.params[1].flags, kParamFlagIn | kParamFlagOut);
  EXPECT_EQ(take.params[2].name, "result");
  EXPECT_EQ(take.params[2].flags, kParamFlagOut | kParamFlagRetval);
  EXPECT_EQ(Func(plain, "Custom").vtableOffset, static_cast<std::int16_t>(7 * ptr()));

  // The dual interface holds its vtable functions, after IDispatch's seven.
  const TypeInfo& dual = Type(lib(), "IDualThing");
  const Function& get = Func(dual, "Name", InvokeKind::kPropertyGet);
  const Function& put = Func(dual, "Name", InvokeKind::kPropertyPut);
  EXPECT_EQ(get.memberId, 1);
  EXPECT_EQ(put.memberId, 1);
  EXPECT_EQ(get.funcKind, FuncKind::kPureVirtual);
  EXPECT_EQ(get.vtableOffset, static_cast<std::int16_t>(7 * ptr()));
  EXPECT_EQ(put.vtableOffset, static_cast<std::int16_t>(8 * ptr()));
  EXPECT_EQ(Func(dual, "Run").optionalParams, 1);

  const TypeInfo& events = Type(lib(), "DEvents");
  const Function& fired = Func(events, "Fired");
  EXPECT_EQ(fired.funcKind, FuncKind::kDispatch);
  EXPECT_EQ(fired.memberId, 4);
  EXPECT_EQ(fired.returnType, Plain(vt::kVoid));
  EXPECT_EQ(events.variables[0].varKind, VarKind::kDispatch);
  EXPECT_EQ(events.variables[0].memberId, 3);

  const TypeInfo& module = Type(lib(), "Functions");
  const Function& compute = Func(module, "Compute");
  EXPECT_EQ(compute.funcKind, FuncKind::kStatic);
  EXPECT_EQ(compute.helpString, "Computes");
  EXPECT_FALSE(compute.entryOrdinal);
  EXPECT_EQ(compute.entryName, "#");  // widl 7 stores "#" for every entry name
  const Function& byOrdinal = Func(module, "ByOrdinal");
  EXPECT_EQ(byOrdinal.entryOrdinal, std::optional<std::uint16_t>(7));
  EXPECT_EQ(byOrdinal.entryName, "");
}

TEST_P(RichLibrary, ValuesInlineAndStored) {
  // Small non-negative values sit in the field itself; the others in the
  // custom-data segment.
  const TypeInfo& shade = Type(lib(), "Shade");
  const Value constants[] = {Int(vt::kI4, 1), Int(vt::kI4, -2), Int(vt::kI4, 0x10000)};
  ASSERT_EQ(shade.variables.size(), std::size(constants));
  for (std::size_t i = 0; i < std::size(constants); ++i) {
    EXPECT_EQ(shade.variables[i].varKind, VarKind::kConst);
    EXPECT_EQ(shade.variables[i].value, constants[i]) << shade.variables[i].name;
  }

  const Function& defaults = Func(Type(lib(), "IPlain"), "Defaults");
  const std::uint16_t withDefault = kParamFlagIn | kParamFlagOptional | kParamFlagHasDefault;
  const std::tuple<const char*, std::uint16_t, std::optional<Value>> params[] = {
      {"count", withDefault, Int(vt::kI4, 7)},
      {"text", withDefault, Text(vt::kBstr, "none")},
      {"little", withDefault, Int(vt::kI2, -3)},
      {"ratio", kParamFlagIn, std::nullopt},
      {"big", withDefault, Int(vt::kI4, -100000)},
      {"wide", withDefault, UInt(vt::kUi4, 0x7FFFFFF)},
      {"extra", kParamFlagIn | kParamFlagOptional, std::nullopt},
      {"locale", kParamFlagIn | kParamFlagLcid, std::nullopt},
  };
  ASSERT_EQ(defaults.params.size(), std::size(params));
  for (std::size_t i = 0; i < std::size(params); ++i) {
    const auto& [name, flags, value] = params[i];
    EXPECT_EQ(defaults.params[i].name, name);
    EXPECT_EQ(defaults.params[i].flags, flags) << name;
    EXPECT_EQ(defaults.params[i].defaultValue, value) << name;
  }
  EXPECT_EQ(Func(Type(lib(), "IDualThing"), "Run").params[1].defaultValue, Int(vt::kBool, 0));

  const Function& custom = Func(Type(lib(), "IPlain"), "Custom");
  EXPECT_EQ(custom.custom, (std::vector<CustomData>{{kCustomGuid, Int(vt::kI4, 12)}}));
  EXPECT_TRUE(custom.params[0].custom.empty());
}

TEST_P(RichLibrary, ImplementedInterfaces) {
  const TypeInfo& thing = Type(lib(), "Thing");
  const std::vector<ImplementedType> expected = {
      {TypeRef{7, -1, {}, "IDualThing"}, kImplTypeFlagDefault, {}},
      {TypeRef{6, -1, {}, "IPlain"}, 0, {}},
      {TypeRef{8, -1, {}, "DEvents"}, kImplTypeFlagDefault | kImplTypeFlagSource, {}},
  };
  EXPECT_EQ(thing.implemented, expected);
  // Bases from the imported standard library, known by GUID.
  EXPECT_EQ(Type(lib(), "IPlain").implemented[0].type, (TypeRef{-1, 0, kUnknown, ""}));
  EXPECT_EQ(Type(lib(), "IDualThing").implemented[0].type, (TypeRef{-1, 0, kDispatch, ""}));
  // A dispinterface without a base implements IDispatch.
  EXPECT_EQ(Type(lib(), "DEvents").implemented[0].type, (TypeRef{-1, 0, kDispatch, ""}));
}

// The imported library beside the file names the types taken from it: by
// GUID (IUnknown, IDispatch) and by index (GUID, which has no GUID itself).
TEST(RichLibraryImports, NamedFromTheImportedLibraryBesideIt) {
  const std::string stdole = std::string(KORVANE_WINE64_DIR) + "/stdole2.tlb";
  if (!std::filesystem::is_regular_file(stdole)) GTEST_SKIP() << stdole << " is not installed";
  const test::TempDir folder;
  std::filesystem::copy_file(stdole, folder.File("stdole2.tlb"));
  const std::string path = folder.File("rich.tlb");
  std::filesystem::copy_file(KORVANE_FIXTURE_RICH64_TLB, path);

  auto lib = platform::ReadTypeLibraryFile(path, '/');
  ASSERT_TRUE(lib) << lib.error().message;
  platform::ResolveImportedTypes(*lib, path, '/');

  EXPECT_EQ(Type(*lib, "IPlain").implemented[0].type, (TypeRef{-1, 0, kUnknown, "IUnknown"}));
  EXPECT_EQ(Type(*lib, "IDualThing").implemented[0].type, (TypeRef{-1, 0, kDispatch, "IDispatch"}));
  const TypeDesc& id = Func(Type(*lib, "IPlain"), "Imported").params[2].type;
  EXPECT_EQ(id, Of(vt::kPtr, TypeDesc{vt::kUserDefined, {}, {}, TypeRef{-1, 0, {}, "GUID", 0}}));
  // Local references are left alone.
  EXPECT_EQ(Type(*lib, "Thing").implemented, Type(Rich(64), "Thing").implemented);
}

}  // namespace
}  // namespace korvane::formats
