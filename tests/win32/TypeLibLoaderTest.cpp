// The model filled from the system loader, on a library compiled from
// fixtures/loader.idl: one of each kind of type and the attributes the
// loader is easiest to misread through (dual views, references, values).

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "formats/TypeLibModel.h"
#include "platform/win32/TypeLibLoader.h"
#include "support/TempDir.h"

namespace korvane::platform {
namespace {

using namespace formats;

const TypeLibrary& Fixture() {
  static const TypeLibrary lib = [] {
    auto read = LoadTypeLibraryWithWindows(KORVANE_LOADER_TLB);
    if (!read) ADD_FAILURE() << read.error().message;
    return read ? *read : TypeLibrary{};
  }();
  return lib;
}

int IndexOf(const std::string& name) {
  const auto& types = Fixture().types;
  for (std::size_t i = 0; i < types.size(); ++i) {
    if (types[i].name == name) return static_cast<int>(i);
  }
  ADD_FAILURE() << "no type " << name;
  return -1;
}

const TypeInfo& Type(const std::string& name) {
  static const TypeInfo none;
  const int i = IndexOf(name);
  return i < 0 ? none : Fixture().types[static_cast<std::size_t>(i)];
}

TEST(Win32TypeLibLoader, LibraryAttributesAndCustomData) {
  const TypeLibrary& lib = Fixture();
  EXPECT_EQ(lib.attributes.name, "LoaderFixture");
  EXPECT_EQ(lib.attributes.helpString, "Loader fixture");
  EXPECT_EQ(GuidToRegistryText(lib.attributes.guid), "{8C2D0E51-3A7B-4F62-9E14-5B6C7D8E9F01}");
  EXPECT_EQ(lib.attributes.majorVersion, 2);
  EXPECT_EQ(lib.attributes.minorVersion, 3);
  EXPECT_EQ(lib.attributes.sysKind, sizeof(void*) == 8 ? kSysWin64 : kSysWin32);
  // The compiler adds custom data of its own beside ours.
  const auto ours = std::find_if(lib.custom.begin(), lib.custom.end(), [](const CustomData& c) {
    return GuidToRegistryText(c.guid) == "{6E0B1A2C-0D3E-4F51-8A62-7B8C9DAEBFC0}";
  });
  ASSERT_NE(ours, lib.custom.end());
  EXPECT_EQ(ours->value, (Value{vt::kBstr, std::string("stamp")}));
}

TEST(Win32TypeLibLoader, KindsInFileOrderWithOneTypeForTheDualInterface) {
  const struct {
    const char* name;
    TypeKind kind;
  } expected[] = {{"Level", TypeKind::kEnum},         {"Pair", TypeKind::kRecord},
                  {"PairAlias", TypeKind::kAlias},    {"IGauge", TypeKind::kInterface},
                  {"DGaugeEvents", TypeKind::kDispatch}, {"Gauge", TypeKind::kCoClass},
                  {"GaugeFunctions", TypeKind::kModule}};
  for (const auto& e : expected) EXPECT_EQ(Type(e.name).kind, e.kind) << e.name;
  const TypeInfo& gauge = Type("IGauge");
  EXPECT_NE(gauge.flags & kTypeFlagDual, 0u);
  EXPECT_EQ(gauge.helpString, "A dual interface");
  // The vtable view: only the interface's own four functions, not IDispatch's.
  ASSERT_EQ(gauge.functions.size(), 4u);
  EXPECT_EQ(gauge.functions[0].invokeKind, InvokeKind::kPropertyGet);
  EXPECT_EQ(gauge.functions[1].invokeKind, InvokeKind::kPropertyPut);
  EXPECT_EQ(gauge.functions[0].helpString, "The reading");
  EXPECT_NE(gauge.functions[0].funcKind, FuncKind::kDispatch);
}

TEST(Win32TypeLibLoader, ReferencesResolveToLocalIndexesOrImports) {
  const TypeLibrary& lib = Fixture();
  const TypeInfo& gauge = Type("IGauge");
  // IDispatch comes from stdole2, the one imported library.
  ASSERT_EQ(gauge.implemented.size(), 1u);
  EXPECT_EQ(gauge.implemented[0].type.name, "IDispatch");
  EXPECT_EQ(gauge.implemented[0].type.localIndex, -1);
  ASSERT_EQ(gauge.implemented[0].type.importIndex, 0);
  ASSERT_EQ(lib.imports.size(), 1u);
  EXPECT_EQ(GuidToRegistryText(lib.imports[0].guid), "{00020430-0000-0000-C000-000000000046}");

  // A type without a GUID in another library is known by its position there.
  const TypeRef& guid = Type("IMarker").functions.at(0).params.at(0).type.ref;
  EXPECT_EQ(guid.name, "GUID");
  EXPECT_EQ(guid.importIndex, 0);
  EXPECT_GE(guid.importTypeIndex, 0);
  EXPECT_EQ(gauge.implemented[0].type.importTypeIndex, -1);

  const TypeInfo& coclass = Type("Gauge");
  ASSERT_EQ(coclass.implemented.size(), 2u);
  EXPECT_EQ(coclass.implemented[0].type.localIndex, IndexOf("IGauge"));
  EXPECT_EQ(coclass.implemented[0].flags, kImplTypeFlagDefault);
  EXPECT_EQ(coclass.implemented[1].type.localIndex, IndexOf("DGaugeEvents"));
  EXPECT_EQ(coclass.implemented[1].flags, kImplTypeFlagDefault | kImplTypeFlagSource);

  const TypeInfo& alias = Type("PairAlias");
  EXPECT_EQ(alias.aliasOf.type, vt::kUserDefined);
  EXPECT_EQ(alias.aliasOf.ref.localIndex, IndexOf("Pair"));
}

TEST(Win32TypeLibLoader, ParametersValuesAndArrays) {
  const Function& scale = Type("IGauge").functions[2];
  EXPECT_EQ(scale.name, "Scale");
  EXPECT_EQ(scale.memberId, 2);
  ASSERT_EQ(scale.params.size(), 3u);
  const Param& steps = scale.params[1];
  EXPECT_EQ(steps.name, "steps");
  EXPECT_EQ(steps.flags, kParamFlagIn | kParamFlagOptional | kParamFlagHasDefault);
  EXPECT_EQ(steps.defaultValue, (Value{vt::kI4, std::int64_t{3}}));
  const TypeDesc& result = scale.params[2].type;
  EXPECT_EQ(scale.params[2].flags, kParamFlagOut | kParamFlagRetval);
  ASSERT_EQ(result.type, vt::kPtr);
  ASSERT_EQ(result.element.size(), 1u);
  EXPECT_EQ(result.element[0].ref.localIndex, IndexOf("Level"));

  const TypeDesc& labels = Type("IGauge").functions[3].params[1].type;
  ASSERT_EQ(labels.type, vt::kSafeArray);
  ASSERT_EQ(labels.element.size(), 1u);
  EXPECT_EQ(labels.element[0].type, vt::kBstr);

  const TypeInfo& level = Type("Level");
  ASSERT_EQ(level.variables.size(), 2u);
  EXPECT_EQ(level.variables[0].varKind, VarKind::kConst);
  EXPECT_EQ(level.variables[0].value, (Value{vt::kI4, std::int64_t{-1}}));
  EXPECT_EQ(level.variables[1].value, (Value{vt::kI4, std::int64_t{7}}));

  const TypeInfo& pair = Type("Pair");
  ASSERT_EQ(pair.variables.size(), 2u);
  EXPECT_EQ(pair.variables[1].offset, 4u);
  const TypeDesc& grid = pair.variables[1].type;
  ASSERT_EQ(grid.type, vt::kCArray);
  EXPECT_EQ(grid.bounds, (std::vector<ArrayBound>{{3, 0}, {2, 0}}));
  ASSERT_EQ(grid.element.size(), 1u);
  EXPECT_EQ(grid.element[0].type, vt::kI2);
}

TEST(Win32TypeLibLoader, DispinterfaceMembersAndModuleEntries) {
  const TypeInfo& events = Type("DGaugeEvents");
  ASSERT_EQ(events.variables.size(), 1u);
  EXPECT_EQ(events.variables[0].name, "Count");
  EXPECT_EQ(events.variables[0].memberId, 5);
  EXPECT_EQ(events.variables[0].varKind, VarKind::kDispatch);
  ASSERT_EQ(events.functions.size(), 1u);
  EXPECT_EQ(events.functions[0].memberId, 6);
  EXPECT_EQ(events.functions[0].funcKind, FuncKind::kDispatch);

  const TypeInfo& module = Type("GaugeFunctions");
  EXPECT_EQ(module.dllName, "gauge.dll");
  ASSERT_EQ(module.functions.size(), 2u);
  // widl stores a named entry point as the text "#" (the name itself is
  // nowhere in the file); what matters here is that it reads as a name.
  EXPECT_EQ(module.functions[0].entryName, "#");
  EXPECT_EQ(module.functions[0].entryOrdinal, std::nullopt);
  EXPECT_EQ(module.functions[1].entryName, "");
  EXPECT_EQ(module.functions[1].entryOrdinal, 7);
}

TEST(Win32TypeLibLoader, WhatIsNoLibraryIsRefused) {
  test::TempDir dir;
  const auto read = LoadTypeLibraryWithWindows(dir.Write("notes.txt", "plain text"));
  ASSERT_FALSE(read);
  EXPECT_EQ(read.error().kind, ErrorKind::kNotTypeLib);
  EXPECT_FALSE(LoadTypeLibraryWithWindows(dir.File("absent.tlb")));
}

}  // namespace
}  // namespace korvane::platform
