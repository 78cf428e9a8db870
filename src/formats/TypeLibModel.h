#pragma once
// The whole content of a type library as plain data: every type info with its
// functions, variables, implemented interfaces and custom data, and the
// libraries it imports. Both file formats (MSFT, SLTG) are read into this one
// model; the IDL writer, the JSON output and the comparison with the Windows
// loader all work on it. Field names follow the loader's own structures
// (TYPEATTR, FUNCDESC, VARDESC, ELEMDESC) so that a comparison is one-to-one.
//
// Conventions:
// - Text is UTF-8; absent text is empty.
// - Flag words keep the loader's bit values (the k... constants below).
// - A dual interface is one TypeInfo of kind kInterface with kTypeFlagDual,
//   holding the vtable functions as the file stores them (the loader shows
//   the dispatch view first and reaches this one through
//   GetRefTypeOfImplType(-1)).

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "formats/TypeLib.h"

namespace korvane::formats {

// VARENUM values a type description or a value can carry.
namespace vt {
inline constexpr std::uint16_t kEmpty = 0;
inline constexpr std::uint16_t kNull = 1;
inline constexpr std::uint16_t kI2 = 2;
inline constexpr std::uint16_t kI4 = 3;
inline constexpr std::uint16_t kR4 = 4;
inline constexpr std::uint16_t kR8 = 5;
inline constexpr std::uint16_t kCy = 6;
inline constexpr std::uint16_t kDate = 7;
inline constexpr std::uint16_t kBstr = 8;
inline constexpr std::uint16_t kDispatch = 9;
inline constexpr std::uint16_t kError = 10;
inline constexpr std::uint16_t kBool = 11;
inline constexpr std::uint16_t kVariant = 12;
inline constexpr std::uint16_t kUnknown = 13;
inline constexpr std::uint16_t kDecimal = 14;
inline constexpr std::uint16_t kI1 = 16;
inline constexpr std::uint16_t kUi1 = 17;
inline constexpr std::uint16_t kUi2 = 18;
inline constexpr std::uint16_t kUi4 = 19;
inline constexpr std::uint16_t kI8 = 20;
inline constexpr std::uint16_t kUi8 = 21;
inline constexpr std::uint16_t kInt = 22;
inline constexpr std::uint16_t kUint = 23;
inline constexpr std::uint16_t kVoid = 24;
inline constexpr std::uint16_t kHresult = 25;
inline constexpr std::uint16_t kPtr = 26;
inline constexpr std::uint16_t kSafeArray = 27;
inline constexpr std::uint16_t kCArray = 28;
inline constexpr std::uint16_t kUserDefined = 29;
inline constexpr std::uint16_t kLpstr = 30;
inline constexpr std::uint16_t kLpwstr = 31;
inline constexpr std::uint16_t kRecord = 36;
inline constexpr std::uint16_t kIntPtr = 37;
inline constexpr std::uint16_t kUintPtr = 38;
inline constexpr std::uint16_t kFiletime = 64;
inline constexpr std::uint16_t kBlob = 65;
inline constexpr std::uint16_t kClsid = 72;
inline constexpr std::uint16_t kVector = 0x1000;
inline constexpr std::uint16_t kArray = 0x2000;
inline constexpr std::uint16_t kByRef = 0x4000;
}  // namespace vt

// TYPEKIND.
enum class TypeKind : std::uint8_t {
  kEnum = 0,
  kRecord = 1,
  kModule = 2,
  kInterface = 3,
  kDispatch = 4,
  kCoClass = 5,
  kAlias = 6,
  kUnion = 7,
};

// TYPEFLAGS.
inline constexpr std::uint32_t kTypeFlagAppObject = 0x1;
inline constexpr std::uint32_t kTypeFlagCanCreate = 0x2;
inline constexpr std::uint32_t kTypeFlagLicensed = 0x4;
inline constexpr std::uint32_t kTypeFlagPredeclId = 0x8;
inline constexpr std::uint32_t kTypeFlagHidden = 0x10;
inline constexpr std::uint32_t kTypeFlagControl = 0x20;
inline constexpr std::uint32_t kTypeFlagDual = 0x40;
inline constexpr std::uint32_t kTypeFlagNonExtensible = 0x80;
inline constexpr std::uint32_t kTypeFlagOleAutomation = 0x100;
inline constexpr std::uint32_t kTypeFlagRestricted = 0x200;
inline constexpr std::uint32_t kTypeFlagAggregatable = 0x400;
inline constexpr std::uint32_t kTypeFlagReplaceable = 0x800;
inline constexpr std::uint32_t kTypeFlagDispatchable = 0x1000;
inline constexpr std::uint32_t kTypeFlagReverseBind = 0x2000;
inline constexpr std::uint32_t kTypeFlagProxy = 0x4000;

// FUNCKIND, INVOKEKIND, CALLCONV.
enum class FuncKind : std::uint8_t { kVirtual = 0, kPureVirtual = 1, kNonVirtual = 2, kStatic = 3, kDispatch = 4 };
enum class InvokeKind : std::uint8_t { kFunc = 1, kPropertyGet = 2, kPropertyPut = 4, kPropertyPutRef = 8 };
enum class CallConv : std::uint8_t {
  kFastCall = 0,
  kCDecl = 1,
  kPascal = 2,
  kMacPascal = 3,
  kStdCall = 4,
  kFpFastCall = 5,
  kSysCall = 6,
  kMpwCDecl = 7,
  kMpwPascal = 8,
};

// FUNCFLAGS.
inline constexpr std::uint16_t kFuncFlagRestricted = 0x1;
inline constexpr std::uint16_t kFuncFlagSource = 0x2;
inline constexpr std::uint16_t kFuncFlagBindable = 0x4;
inline constexpr std::uint16_t kFuncFlagRequestEdit = 0x8;
inline constexpr std::uint16_t kFuncFlagDisplayBind = 0x10;
inline constexpr std::uint16_t kFuncFlagDefaultBind = 0x20;
inline constexpr std::uint16_t kFuncFlagHidden = 0x40;
inline constexpr std::uint16_t kFuncFlagUsesGetLastError = 0x80;
inline constexpr std::uint16_t kFuncFlagDefaultCollElem = 0x100;
inline constexpr std::uint16_t kFuncFlagUiDefault = 0x200;
inline constexpr std::uint16_t kFuncFlagNonBrowsable = 0x400;
inline constexpr std::uint16_t kFuncFlagReplaceable = 0x800;
inline constexpr std::uint16_t kFuncFlagImmediateBind = 0x1000;

// VARKIND and VARFLAGS.
enum class VarKind : std::uint8_t { kPerInstance = 0, kStatic = 1, kConst = 2, kDispatch = 3 };
inline constexpr std::uint16_t kVarFlagReadOnly = 0x1;
inline constexpr std::uint16_t kVarFlagSource = 0x2;
inline constexpr std::uint16_t kVarFlagBindable = 0x4;
inline constexpr std::uint16_t kVarFlagRequestEdit = 0x8;
inline constexpr std::uint16_t kVarFlagDisplayBind = 0x10;
inline constexpr std::uint16_t kVarFlagDefaultBind = 0x20;
inline constexpr std::uint16_t kVarFlagHidden = 0x40;
inline constexpr std::uint16_t kVarFlagRestricted = 0x80;
inline constexpr std::uint16_t kVarFlagDefaultCollElem = 0x100;
inline constexpr std::uint16_t kVarFlagUiDefault = 0x200;
inline constexpr std::uint16_t kVarFlagNonBrowsable = 0x400;
inline constexpr std::uint16_t kVarFlagReplaceable = 0x800;
inline constexpr std::uint16_t kVarFlagImmediateBind = 0x1000;

// PARAMFLAGS.
inline constexpr std::uint16_t kParamFlagIn = 0x1;
inline constexpr std::uint16_t kParamFlagOut = 0x2;
inline constexpr std::uint16_t kParamFlagLcid = 0x4;
inline constexpr std::uint16_t kParamFlagRetval = 0x8;
inline constexpr std::uint16_t kParamFlagOptional = 0x10;
inline constexpr std::uint16_t kParamFlagHasDefault = 0x20;
inline constexpr std::uint16_t kParamFlagHasCustData = 0x40;

// IMPLTYPEFLAGS.
inline constexpr std::uint32_t kImplTypeFlagDefault = 0x1;
inline constexpr std::uint32_t kImplTypeFlagSource = 0x2;
inline constexpr std::uint32_t kImplTypeFlagRestricted = 0x4;
inline constexpr std::uint32_t kImplTypeFlagDefaultVTable = 0x8;

// A constant, a default parameter value or a custom-data value. type is the
// VARENUM of the value; data holds it as:
//   integers, VT_BOOL (-1/0), VT_ERROR, VT_CY (scaled by 10000) -> int64 / uint64
//   VT_R4, VT_R8, VT_DATE                                        -> double
//   VT_BSTR, VT_LPSTR, VT_LPWSTR                                 -> UTF-8 string
//   VT_DECIMAL and anything else stored as raw bytes             -> bytes
//   VT_EMPTY, VT_NULL                                            -> monostate
struct Value {
  std::uint16_t type = vt::kEmpty;
  std::variant<std::monostate, std::int64_t, std::uint64_t, double, std::string, std::vector<std::uint8_t>> data;
  bool operator==(const Value&) const = default;
};

struct CustomData {
  Guid guid{};
  Value value;
  bool operator==(const CustomData&) const = default;
};

// A reference to another type (VT_USERDEFINED, implemented interfaces):
// either a type of this library (localIndex into TypeLibrary::types) or a type
// of an imported library (importIndex into TypeLibrary::imports), known by its
// GUID when the library is an MSFT one, and by name.
struct TypeRef {
  int localIndex = -1;
  int importIndex = -1;
  Guid typeGuid{};   // the referenced type's GUID; zero when unknown
  std::string name;  // the referenced type's name, resolved where the file allows
  // The type's position in the imported library, for files that name an
  // imported type that way instead of by GUID (SLTG always, MSFT for types
  // without a GUID); -1 otherwise.
  int importTypeIndex = -1;
  bool operator==(const TypeRef&) const = default;
};

// One bound of a C array: element count and lower bound.
struct ArrayBound {
  std::uint32_t elements = 0;
  std::int32_t lowerBound = 0;
  bool operator==(const ArrayBound&) const = default;
};

// TYPEDESC: VT_PTR and VT_SAFEARRAY have one element type in `element`;
// VT_CARRAY has one element type and its bounds; VT_USERDEFINED has `ref`.
struct TypeDesc {
  std::uint16_t type = vt::kEmpty;
  std::vector<TypeDesc> element;  // empty, or exactly one
  std::vector<ArrayBound> bounds;
  TypeRef ref;
  bool operator==(const TypeDesc&) const = default;
};

struct Param {
  std::string name;
  TypeDesc type;
  std::uint16_t flags = 0;  // kParamFlag...
  std::optional<Value> defaultValue;
  std::vector<CustomData> custom;
  bool operator==(const Param&) const = default;
};

struct Function {
  std::string name;
  std::int32_t memberId = 0;  // DISPID
  FuncKind funcKind = FuncKind::kPureVirtual;
  InvokeKind invokeKind = InvokeKind::kFunc;
  CallConv callConv = CallConv::kStdCall;
  std::int16_t vtableOffset = 0;      // oVft, bytes
  std::uint16_t flags = 0;            // kFuncFlag...
  std::int16_t optionalParams = 0;    // cParamsOpt; -1 for vararg
  TypeDesc returnType;
  std::vector<Param> params;
  std::string helpString;
  std::uint32_t helpContext = 0;
  std::uint32_t helpStringContext = 0;
  // Module functions: the DLL entry point, by name or by ordinal.
  std::string entryName;
  std::optional<std::uint16_t> entryOrdinal;
  std::vector<CustomData> custom;
  bool operator==(const Function&) const = default;
};

struct Variable {
  std::string name;
  std::int32_t memberId = 0;
  VarKind varKind = VarKind::kPerInstance;
  std::uint16_t flags = 0;  // kVarFlag...
  TypeDesc type;
  std::optional<Value> value;  // kConst
  std::uint32_t offset = 0;    // kPerInstance: oInst
  std::string helpString;
  std::uint32_t helpContext = 0;
  std::uint32_t helpStringContext = 0;
  std::vector<CustomData> custom;
  bool operator==(const Variable&) const = default;
};

struct ImplementedType {
  TypeRef type;
  std::uint32_t flags = 0;  // kImplTypeFlag...
  std::vector<CustomData> custom;
  bool operator==(const ImplementedType&) const = default;
};

struct TypeInfo {
  TypeKind kind = TypeKind::kInterface;
  std::string name;
  Guid guid{};  // zero when the type has none
  std::uint32_t flags = 0;  // kTypeFlag...
  std::uint16_t majorVersion = 0;
  std::uint16_t minorVersion = 0;
  std::string helpString;
  std::uint32_t helpContext = 0;
  std::uint32_t helpStringContext = 0;
  std::uint32_t instanceSize = 0;  // cbSizeInstance
  std::uint16_t vtableSize = 0;    // cbSizeVft
  std::uint16_t alignment = 0;     // cbAlignment
  TypeDesc aliasOf;                // kAlias: tdescAlias
  std::string dllName;             // kModule: the DLL its functions come from
  std::vector<Function> functions;
  std::vector<Variable> variables;
  std::vector<ImplementedType> implemented;
  std::vector<CustomData> custom;
  bool operator==(const TypeInfo&) const = default;
};

// A library whose types this one refers to (importlib).
struct ImportedLibrary {
  Guid guid{};
  std::uint16_t majorVersion = 0;
  std::uint16_t minorVersion = 0;
  std::uint32_t lcid = 0;
  std::string fileName;  // as stored, e.g. "stdole2.tlb"
  bool operator==(const ImportedLibrary&) const = default;
};

struct TypeLibrary {
  TypeLibAttributes attributes;
  std::uint32_t helpContext = 0;
  std::uint32_t helpStringContext = 0;
  std::string helpStringDll;
  std::vector<ImportedLibrary> imports;
  std::vector<TypeInfo> types;  // in the file's order (the loader's index)
  std::vector<CustomData> custom;
  bool operator==(const TypeLibrary&) const = default;
};

// Limits of the full readers: no real library comes near them, and a damaged
// one cannot make a reader allocate or recurse without bound.
inline constexpr std::uint32_t kMaxTypeInfos = 65535;
inline constexpr std::uint32_t kMaxMembersPerType = 65535;
inline constexpr std::uint32_t kMaxParamsPerFunction = 1024;
inline constexpr std::uint32_t kMaxArrayDims = 64;
inline constexpr int kMaxTypeDescDepth = 64;
inline constexpr std::uint32_t kMaxCustomDataPerItem = 1024;
inline constexpr std::uint32_t kMaxImports = 4096;

// Reads the whole library from MSFT or SLTG data (chosen by the signature):
// kNotTypeLib without either, kBadTypeLib for damaged data.
Expected<TypeLibrary> ReadTypeLibrary(std::span<const std::uint8_t> data);
Expected<TypeLibrary> ReadMsftTypeLibrary(std::span<const std::uint8_t> data);
Expected<TypeLibrary> ReadSltgTypeLibrary(std::span<const std::uint8_t> data);

}  // namespace korvane::formats
