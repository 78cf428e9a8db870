#include "typelib/TypeLibJson.h"

#include <cmath>
#include <string_view>
#include <type_traits>

#include "typelib/TypeText.h"

namespace korvane::typelib {

using namespace formats;

namespace {

std::string GuidJson(const Guid& guid) { return GuidToRegistryText(guid); }

std::string KindWord(TypeKind kind) {
  switch (kind) {
    case TypeKind::kEnum: return "enum";
    case TypeKind::kRecord: return "record";
    case TypeKind::kModule: return "module";
    case TypeKind::kInterface: return "interface";
    case TypeKind::kDispatch: return "dispatch";
    case TypeKind::kCoClass: return "coclass";
    case TypeKind::kAlias: return "alias";
    case TypeKind::kUnion: return "union";
  }
  return std::to_string(static_cast<int>(kind));
}

std::string FuncKindWord(FuncKind kind) {
  switch (kind) {
    case FuncKind::kVirtual: return "virtual";
    case FuncKind::kPureVirtual: return "pureVirtual";
    case FuncKind::kNonVirtual: return "nonVirtual";
    case FuncKind::kStatic: return "static";
    case FuncKind::kDispatch: return "dispatch";
  }
  return std::to_string(static_cast<int>(kind));
}

std::string InvokeKindWord(InvokeKind kind) {
  switch (kind) {
    case InvokeKind::kFunc: return "func";
    case InvokeKind::kPropertyGet: return "propertyGet";
    case InvokeKind::kPropertyPut: return "propertyPut";
    case InvokeKind::kPropertyPutRef: return "propertyPutRef";
  }
  return std::to_string(static_cast<int>(kind));
}

std::string VarKindWord(VarKind kind) {
  switch (kind) {
    case VarKind::kPerInstance: return "perInstance";
    case VarKind::kStatic: return "static";
    case VarKind::kConst: return "const";
    case VarKind::kDispatch: return "dispatch";
  }
  return std::to_string(static_cast<int>(kind));
}

std::string CallConvWord(CallConv conv) {
  switch (conv) {
    case CallConv::kFastCall: return "fastCall";
    case CallConv::kCDecl: return "cdecl";
    case CallConv::kPascal: return "pascal";
    case CallConv::kMacPascal: return "macPascal";
    case CallConv::kStdCall: return "stdCall";
    case CallConv::kFpFastCall: return "fpFastCall";
    case CallConv::kSysCall: return "sysCall";
    case CallConv::kMpwCDecl: return "mpwCdecl";
    case CallConv::kMpwPascal: return "mpwPascal";
  }
  return std::to_string(static_cast<int>(conv));
}

Json ValueJson(const Value& value) {
  Json out = Json::object();
  out["type"] = value.type;
  std::visit(
      [&](const auto& data) {
        using T = std::decay_t<decltype(data)>;
        if constexpr (std::is_same_v<T, std::monostate>) {
          out["data"] = nullptr;
        } else if constexpr (std::is_same_v<T, double>) {
          // JSON has no NaN or infinity; the text keeps them readable.
          if (std::isfinite(data)) {
            out["data"] = data;
          } else {
            out["data"] = std::isnan(data) ? "NaN" : (data > 0 ? "Infinity" : "-Infinity");
          }
        } else if constexpr (std::is_same_v<T, std::vector<std::uint8_t>>) {
          static constexpr std::string_view kHex = "0123456789abcdef";
          std::string hex;
          for (auto byte : data) {
            hex += kHex[byte >> 4];
            hex += kHex[byte & 0xf];
          }
          out["data"] = hex;
        } else {
          out["data"] = data;
        }
      },
      value.data);
  return out;
}

Json CustomJson(const std::vector<CustomData>& custom) {
  Json out = Json::array();
  for (const auto& item : custom) out.push_back(Json{{"guid", GuidJson(item.guid)}, {"value", ValueJson(item.value)}});
  return out;
}

Json TypeRefJson(const TypeRef& ref) {
  Json out = Json::object();
  out["localIndex"] = ref.localIndex;
  out["importIndex"] = ref.importIndex;
  out["typeGuid"] = GuidJson(ref.typeGuid);
  out["name"] = ref.name;
  out["importTypeIndex"] = ref.importTypeIndex;
  return out;
}

Json TypeDescJson(const TypeDesc& type) {
  Json out = Json::object();
  out["type"] = type.type;
  if (!type.element.empty()) out["element"] = TypeDescJson(type.element.front());
  if (!type.bounds.empty()) {
    Json bounds = Json::array();
    for (const auto& bound : type.bounds) {
      bounds.push_back(Json{{"elements", bound.elements}, {"lowerBound", bound.lowerBound}});
    }
    out["bounds"] = bounds;
  }
  if (type.type == vt::kUserDefined) out["ref"] = TypeRefJson(type.ref);
  return out;
}

Json ParamJson(const Param& param) {
  Json out = Json::object();
  out["name"] = param.name;
  out["type"] = TypeDescJson(param.type);
  out["flags"] = param.flags;
  out["defaultValue"] = param.defaultValue ? ValueJson(*param.defaultValue) : Json(nullptr);
  out["custom"] = CustomJson(param.custom);
  return out;
}

Json FunctionJson(const Function& function) {
  Json out = Json::object();
  out["name"] = function.name;
  out["memberId"] = function.memberId;
  out["funcKind"] = FuncKindWord(function.funcKind);
  out["invokeKind"] = InvokeKindWord(function.invokeKind);
  out["callConv"] = CallConvWord(function.callConv);
  out["vtableOffset"] = function.vtableOffset;
  out["flags"] = function.flags;
  out["optionalParams"] = function.optionalParams;
  out["returnType"] = TypeDescJson(function.returnType);
  Json params = Json::array();
  for (const auto& param : function.params) params.push_back(ParamJson(param));
  out["params"] = params;
  out["helpString"] = function.helpString;
  out["helpContext"] = function.helpContext;
  out["helpStringContext"] = function.helpStringContext;
  out["entryName"] = function.entryName;
  out["entryOrdinal"] = function.entryOrdinal ? Json(*function.entryOrdinal) : Json(nullptr);
  out["custom"] = CustomJson(function.custom);
  return out;
}

Json VariableJson(const Variable& variable) {
  Json out = Json::object();
  out["name"] = variable.name;
  out["memberId"] = variable.memberId;
  out["varKind"] = VarKindWord(variable.varKind);
  out["flags"] = variable.flags;
  out["type"] = TypeDescJson(variable.type);
  out["value"] = variable.value ? ValueJson(*variable.value) : Json(nullptr);
  out["offset"] = variable.offset;
  out["helpString"] = variable.helpString;
  out["helpContext"] = variable.helpContext;
  out["helpStringContext"] = variable.helpStringContext;
  out["custom"] = CustomJson(variable.custom);
  return out;
}

Json TypeInfoJson(const TypeInfo& type) {
  Json out = Json::object();
  out["kind"] = KindWord(type.kind);
  out["name"] = type.name;
  out["guid"] = GuidJson(type.guid);
  out["flags"] = type.flags;
  out["majorVersion"] = type.majorVersion;
  out["minorVersion"] = type.minorVersion;
  out["helpString"] = type.helpString;
  out["helpContext"] = type.helpContext;
  out["helpStringContext"] = type.helpStringContext;
  out["instanceSize"] = type.instanceSize;
  out["vtableSize"] = type.vtableSize;
  out["alignment"] = type.alignment;
  if (type.kind == TypeKind::kAlias) out["aliasOf"] = TypeDescJson(type.aliasOf);
  if (type.kind == TypeKind::kModule) out["dllName"] = type.dllName;
  Json functions = Json::array();
  for (const auto& function : type.functions) functions.push_back(FunctionJson(function));
  out["functions"] = functions;
  Json variables = Json::array();
  for (const auto& variable : type.variables) variables.push_back(VariableJson(variable));
  out["variables"] = variables;
  Json implemented = Json::array();
  for (const auto& impl : type.implemented) {
    implemented.push_back(
        Json{{"type", TypeRefJson(impl.type)}, {"flags", impl.flags}, {"custom", CustomJson(impl.custom)}});
  }
  out["implemented"] = implemented;
  out["custom"] = CustomJson(type.custom);
  return out;
}

}  // namespace

Json TypeLibraryJson(const TypeLibrary& library) {
  const auto& attributes = library.attributes;
  Json attr = Json::object();
  attr["format"] = attributes.format == TypeLibFormat::Msft ? "MSFT" : "SLTG";
  attr["name"] = attributes.name;
  attr["helpString"] = attributes.helpString;
  attr["helpFile"] = attributes.helpFile;
  attr["guid"] = GuidJson(attributes.guid);
  attr["majorVersion"] = attributes.majorVersion;
  attr["minorVersion"] = attributes.minorVersion;
  attr["lcid"] = attributes.lcid;
  attr["sysKind"] = attributes.sysKind;
  attr["libFlags"] = attributes.libFlags;

  Json out = Json::object();
  out["attributes"] = attr;
  out["helpContext"] = library.helpContext;
  out["helpStringContext"] = library.helpStringContext;
  out["helpStringDll"] = library.helpStringDll;
  Json imports = Json::array();
  for (const auto& import : library.imports) {
    imports.push_back(Json{{"guid", GuidJson(import.guid)},
                           {"majorVersion", import.majorVersion},
                           {"minorVersion", import.minorVersion},
                           {"lcid", import.lcid},
                           {"fileName", import.fileName}});
  }
  out["imports"] = imports;
  Json types = Json::array();
  for (const auto& type : library.types) types.push_back(TypeInfoJson(type));
  out["types"] = types;
  out["custom"] = CustomJson(library.custom);
  return out;
}

}  // namespace korvane::typelib
