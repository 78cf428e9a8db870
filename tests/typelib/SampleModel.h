#pragma once
// A small hand-built library for the tests of the writers and the comparison:
// an enum, a dual interface with a property and a method taking a default
// value, a dispinterface, a coclass and a module.

#include <string>
#include <utility>

#include "formats/TypeLibModel.h"

namespace korvane::test {

inline formats::Guid SampleGuid(std::uint8_t last) {
  formats::Guid guid{};
  guid[0] = 0x11;
  guid[15] = last;
  return guid;
}

inline formats::TypeDesc BaseType(std::uint16_t vt) { return formats::TypeDesc{vt, {}, {}, {}}; }

inline formats::TypeDesc PointerTo(formats::TypeDesc element) {
  return formats::TypeDesc{formats::vt::kPtr, {std::move(element)}, {}, {}};
}

inline formats::TypeDesc LocalType(int index, const std::string& name) {
  return formats::TypeDesc{formats::vt::kUserDefined, {}, {}, formats::TypeRef{index, -1, {}, name}};
}

inline formats::Variable MakeVariable(std::string name, std::int32_t id, formats::VarKind kind, std::uint16_t flags,
                                     formats::TypeDesc type, std::optional<formats::Value> value = {}) {
  formats::Variable variable;
  variable.name = std::move(name);
  variable.memberId = id;
  variable.varKind = kind;
  variable.flags = flags;
  variable.type = std::move(type);
  variable.value = std::move(value);
  return variable;
}

inline formats::TypeLibrary SampleLibrary() {
  using namespace formats;
  TypeLibrary lib;
  lib.attributes.name = "SampleLib";
  lib.attributes.helpString = "Sample library";
  lib.attributes.guid = SampleGuid(1);
  lib.attributes.majorVersion = 1;
  lib.attributes.minorVersion = 2;
  lib.imports.push_back(ImportedLibrary{SampleGuid(0x99), 2, 0, 0, "stdole2.tlb"});

  TypeInfo colors;
  colors.kind = TypeKind::kEnum;
  colors.name = "Colors";
  colors.variables.push_back(MakeVariable("Red", 0, VarKind::kConst, 0, BaseType(vt::kI4), Value{vt::kI4, std::int64_t{0}}));
  colors.variables.push_back(MakeVariable("Blue", 1, VarKind::kConst, 0, BaseType(vt::kI4), Value{vt::kI4, std::int64_t{7}}));
  lib.types.push_back(colors);

  TypeInfo shape;
  shape.kind = TypeKind::kInterface;
  shape.name = "IShape";
  shape.guid = SampleGuid(2);
  shape.flags = kTypeFlagDual | kTypeFlagOleAutomation | kTypeFlagDispatchable;
  shape.vtableSize = 72;
  Function color;
  color.name = "Color";
  color.memberId = 1;
  color.invokeKind = InvokeKind::kPropertyGet;
  color.vtableOffset = 56;
  color.returnType = BaseType(vt::kHresult);
  color.params.push_back(Param{"value", PointerTo(LocalType(0, "Colors")), kParamFlagOut | kParamFlagRetval, {}, {}});
  shape.functions.push_back(color);
  Function move;
  move.name = "Move";
  move.memberId = 2;
  move.vtableOffset = 64;
  move.returnType = BaseType(vt::kHresult);
  move.params.push_back(Param{"dx", BaseType(vt::kI4), kParamFlagIn, {}, {}});
  move.params.push_back(Param{"label", BaseType(vt::kBstr), kParamFlagIn | kParamFlagOptional | kParamFlagHasDefault,
                              Value{vt::kBstr, std::string("a \"b\"")}, {}});
  shape.functions.push_back(move);
  shape.implemented.push_back(ImplementedType{TypeRef{-1, 0, {}, "IDispatch"}, 0, {}});
  lib.types.push_back(shape);

  TypeInfo events;
  events.kind = TypeKind::kDispatch;
  events.name = "DShapeEvents";
  events.guid = SampleGuid(3);
  Function moved;
  moved.name = "Moved";
  moved.memberId = 1;
  moved.funcKind = FuncKind::kDispatch;
  moved.returnType = BaseType(vt::kVoid);
  events.functions.push_back(moved);
  events.variables.push_back(MakeVariable("Count", 2, VarKind::kDispatch, kVarFlagReadOnly, BaseType(vt::kI4)));
  events.implemented.push_back(ImplementedType{TypeRef{-1, 0, {}, "IDispatch"}, 0, {}});
  lib.types.push_back(events);

  TypeInfo shapeClass;
  shapeClass.kind = TypeKind::kCoClass;
  shapeClass.name = "Shape";
  shapeClass.guid = SampleGuid(4);
  shapeClass.flags = kTypeFlagCanCreate;
  shapeClass.implemented.push_back(ImplementedType{TypeRef{1, -1, {}, "IShape"}, kImplTypeFlagDefault, {}});
  shapeClass.implemented.push_back(
      ImplementedType{TypeRef{2, -1, {}, "DShapeEvents"}, kImplTypeFlagDefault | kImplTypeFlagSource, {}});
  lib.types.push_back(shapeClass);
  return lib;
}

}  // namespace korvane::test
