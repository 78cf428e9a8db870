#include "SltgSample.h"

namespace korvane::test {

namespace {

namespace f = formats;

f::TypeDesc Leaf(std::uint16_t vt) { return f::TypeDesc{vt, {}, {}, {}}; }
f::TypeDesc Wrap(std::uint16_t vt, f::TypeDesc element) { return f::TypeDesc{vt, {std::move(element)}, {}, {}}; }

f::Guid GuidOf(std::uint8_t tag) {
  f::Guid g{};
  for (std::size_t i = 0; i < g.size(); ++i) g[i] = static_cast<std::uint8_t>(tag + i);
  return g;
}

// The names and GUIDs of the sample's types, for references to them.
const char* const kNames[kSampleTypeCount] = {"EColor", "RPoint", "IShape", "DShapeEvents",
                                              "Shape",  "TShort", "TPoints", "MHelpers"};

f::TypeRef Local(int index) {
  return f::TypeRef{index, -1, GuidOf(static_cast<std::uint8_t>(0x10 * (index + 1))), kNames[index], -1};
}
f::TypeRef Imported(int import, int position) { return f::TypeRef{-1, import, {}, {}, position}; }
f::TypeDesc User(f::TypeRef ref) {
  f::TypeDesc t = Leaf(f::vt::kUserDefined);
  t.ref = std::move(ref);
  return t;
}

f::TypeInfo Type(int index, f::TypeKind kind) {
  f::TypeInfo t;
  t.kind = kind;
  t.name = kNames[index];
  t.guid = GuidOf(static_cast<std::uint8_t>(0x10 * (index + 1)));
  return t;
}

f::Param P(std::string name, f::TypeDesc type, std::uint16_t flags) {
  f::Param p;
  p.name = std::move(name);
  p.type = std::move(type);
  p.flags = flags;
  return p;
}

f::Variable Const(std::string name, std::int32_t id, f::TypeDesc type, f::Value value) {
  f::Variable v;
  v.name = std::move(name);
  v.memberId = id;
  v.varKind = f::VarKind::kConst;
  v.type = std::move(type);
  v.value = std::move(value);
  return v;
}

f::Variable Field(std::string name, std::int32_t id, f::TypeDesc type, std::uint32_t offset) {
  f::Variable v;
  v.name = std::move(name);
  v.memberId = id;
  v.type = std::move(type);
  v.offset = offset;
  return v;
}

f::Function Fn(std::string name, std::int32_t id, f::FuncKind kind, f::InvokeKind invoke, f::TypeDesc ret) {
  f::Function fn;
  fn.name = std::move(name);
  fn.memberId = id;
  fn.funcKind = kind;
  fn.invokeKind = invoke;
  fn.returnType = std::move(ret);
  return fn;
}

f::TypeInfo Enum() {
  auto t = Type(kSampleEnum, f::TypeKind::kEnum);
  t.helpString = "Colours";
  t.helpContext = 0x12345678;
  t.majorVersion = 1;
  t.minorVersion = 3;
  const f::Value red{f::vt::kInt, std::int64_t{0}};
  const f::Value big{f::vt::kInt, std::int64_t{0x12345}};
  const f::Value minus{f::vt::kInt, std::int64_t{-5}};
  t.variables = {Const("Red", 1, Leaf(f::vt::kI4), red), Const("Big", 2, Leaf(f::vt::kI4), big),
                 Const("Minus", 3, Leaf(f::vt::kInt), minus)};
  t.variables[1].helpString = "A large one";
  t.variables[1].helpContext = 77;
  return t;
}

f::TypeInfo Record() {
  auto t = Type(kSampleRecord, f::TypeKind::kRecord);
  t.instanceSize = 0x30;
  t.alignment = 4;
  f::TypeDesc grid = Wrap(f::vt::kCArray, Leaf(f::vt::kI2));
  grid.bounds = {{3, 0}, {4, -1}};
  t.variables = {Field("x", 0x40000000, Leaf(f::vt::kI4), 0),
                 Field("y", 0x40000001, Leaf(f::vt::kI4), 4),
                 Field("grid", 0x40000002, grid, 8),
                 Field("next", 0x40000003, Wrap(f::vt::kPtr, User(Local(kSampleRecord))), 0x20),
                 Field("names", 0x40000004, Wrap(f::vt::kSafeArray, Leaf(f::vt::kBstr)), 0x24),
                 Field("names", 0x40000005, Wrap(f::vt::kPtr, Wrap(f::vt::kPtr, Leaf(f::vt::kUi1))), 0x28)};
  t.variables[0].flags = f::kVarFlagReadOnly | f::kVarFlagHidden;
  return t;
}

f::TypeInfo Interface() {
  auto t = Type(kSampleInterface, f::TypeKind::kInterface);
  t.flags = f::kTypeFlagDual | f::kTypeFlagOleAutomation | f::kTypeFlagHidden;
  t.vtableSize = 0x28;
  t.helpString = "A shape";
  t.implemented = {{Imported(0, 4), 0, {}}};

  auto area = Fn("Area", 0x60020000, f::FuncKind::kPureVirtual, f::InvokeKind::kPropertyGet, Leaf(f::vt::kHresult));
  area.vtableOffset = 28;
  area.flags = f::kFuncFlagBindable | f::kFuncFlagHidden;
  area.helpString = "The area";
  area.helpContext = 12;
  area.params = {P("value", Wrap(f::vt::kPtr, Leaf(f::vt::kR8)), f::kParamFlagOut | f::kParamFlagRetval)};

  auto move = Fn("Move", 0x60020001, f::FuncKind::kPureVirtual, f::InvokeKind::kFunc, Leaf(f::vt::kHresult));
  move.vtableOffset = 32;
  move.optionalParams = 1;
  move.params = {P("dx", Leaf(f::vt::kI4), f::kParamFlagIn),
                 P("dy", Wrap(f::vt::kPtr, Wrap(f::vt::kPtr, Leaf(f::vt::kI4))), f::kParamFlagIn | f::kParamFlagOut),
                 P("locale", Leaf(f::vt::kI4), f::kParamFlagIn | f::kParamFlagLcid),
                 P("", Leaf(f::vt::kVariant), 0),
                 P("", Leaf(f::vt::kVariant), f::kParamFlagIn | f::kParamFlagOptional)};

  auto fill = Fn("Fill", 0x60020002, f::FuncKind::kPureVirtual, f::InvokeKind::kPropertyPut,
                 Wrap(f::vt::kPtr, User(Local(kSampleRecord))));
  fill.vtableOffset = 36;
  fill.callConv = f::CallConv::kCDecl;
  fill.params = {P("points", User(Local(kSampleAlias)), f::kParamFlagIn),
                 P("colour", User(Local(kSampleEnum)), f::kParamFlagIn)};
  t.functions = {area, move, fill};
  return t;
}

f::TypeInfo Dispatch() {
  auto t = Type(kSampleDispatch, f::TypeKind::kDispatch);
  t.vtableSize = 0x1C;
  t.implemented = {{Imported(0, 4), 0, {}}};
  auto changed = Fn("Changed", 1, f::FuncKind::kDispatch, f::InvokeKind::kFunc, Leaf(f::vt::kVoid));
  changed.params = {P("what", Leaf(f::vt::kBstr), f::kParamFlagIn)};
  auto put = Fn("Colour", 2, f::FuncKind::kDispatch, f::InvokeKind::kPropertyPutRef, Leaf(f::vt::kVoid));
  put.params = {P("colour", User(Imported(1, 0)), f::kParamFlagIn)};
  t.functions = {changed, put};
  auto visible = Field("Visible", 3, Leaf(f::vt::kBool), 0);
  visible.varKind = f::VarKind::kDispatch;
  visible.flags = f::kVarFlagBindable;
  t.variables = {visible};
  return t;
}

f::TypeInfo CoClass() {
  auto t = Type(kSampleCoClass, f::TypeKind::kCoClass);
  t.flags = f::kTypeFlagCanCreate | f::kTypeFlagControl;
  t.implemented = {{Local(kSampleInterface), f::kImplTypeFlagDefault, {}},
                   {Local(kSampleDispatch), f::kImplTypeFlagDefault | f::kImplTypeFlagSource, {}},
                   {Imported(0, 4), f::kImplTypeFlagRestricted, {}}};
  return t;
}

f::TypeInfo SimpleAlias() {
  auto t = Type(kSampleSimpleAlias, f::TypeKind::kAlias);
  t.aliasOf = Leaf(f::vt::kI2);
  return t;
}

f::TypeInfo Alias() {
  auto t = Type(kSampleAlias, f::TypeKind::kAlias);
  t.aliasOf = Wrap(f::vt::kSafeArray, User(Local(kSampleRecord)));
  return t;
}

f::TypeInfo Module() {
  auto t = Type(kSampleModule, f::TypeKind::kModule);
  auto version = Fn("Version", 0x60000000, f::FuncKind::kStatic, f::InvokeKind::kFunc, Leaf(f::vt::kI4));
  version.params = {P("build", Wrap(f::vt::kPtr, Leaf(f::vt::kI4)), f::kParamFlagOut)};
  t.functions = {version};
  t.variables = {Const("Greeting", 0x40000000, Leaf(f::vt::kBstr), f::Value{f::vt::kBstr, std::string("hello")}),
                 Const("Limit", 0x40000001, Leaf(f::vt::kUi4), f::Value{f::vt::kInt, std::int64_t{70000}})};
  return t;
}

}  // namespace

SltgFixture SampleSltgLibrary() {
  SltgFixture fixture;
  fixture.name = "ShapesLib";
  fixture.helpString = "Shapes of old";
  fixture.helpContext = 0x1234;
  fixture.guid = GuidOf(0xA0);
  fixture.major = 3;
  fixture.minor = 1;
  fixture.lcid = 0x409;
  fixture.imports = {{GuidOf(0xB0), 2, 0, 0, "stdole2.tlb"}, {GuidOf(0xC0), 1, 12, 0x409, "colours.olb"}};
  fixture.types = {Enum(), Record(), Interface(), Dispatch(), CoClass(), SimpleAlias(), Alias(), Module()};
  return fixture;
}

}  // namespace korvane::test
