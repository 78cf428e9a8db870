// The IDL writer on small hand-built libraries: the parts where a wrong text
// either does not compile or compiles into another library.

#include <gtest/gtest.h>

#include <algorithm>

#include "SampleModel.h"
#include "typelib/IdlWriter.h"

namespace korvane::typelib {
namespace {

using namespace formats;

// Position of a piece of text, failing the test when it is missing.
std::size_t Find(const std::string& idl, const std::string& piece) {
  std::size_t at = idl.find(piece);
  EXPECT_NE(at, std::string::npos) << "missing: " << piece << "\n" << idl;
  return at;
}

TEST(IdlWriter, LaysOutTheSampleAsTheViewersDo) {
  IdlOptions options;
  options.fileName = "sample.tlb";
  const std::string idl = WriteIdl(test::SampleLibrary(), options);
  // In this order: each piece after the one before.
  const std::vector<std::string> pieces = {
      "// typelib filename: sample.tlb",
      "typedef long HRESULT;",
      "interface IDispatch {",
      "  uuid(00000011-0000-0000-0000-000000000001),\n  version(1.2),\n  helpstring(\"Sample library\")\n]\nlibrary SampleLib\n{",
      "importlib(\"stdole2.tlb\");",
      "typedef enum Colors {\n        Red = 0,\n        Blue = 7\n    } Colors;",
      "      odl,\n      uuid(00000011-0000-0000-0000-000000000002),\n      dual,\n      oleautomation\n    ]\n"
      "    interface IShape : IDispatch {",
      "[id(0x00000001), propget]\n        HRESULT Color([out, retval] Colors* value);",
      "[in, optional, defaultvalue(\"a \\\"b\\\"\")] BSTR label);",
      "dispinterface DShapeEvents {\n    properties:\n        [id(0x00000002), readonly]\n        long Count;\n"
      "    methods:\n        [id(0x00000001)]\n        void Moved();",
      "coclass Shape {\n        [default] interface IShape;\n        [default, source] dispinterface DShapeEvents;",
      "    };\n\n};\n",
  };
  std::size_t last = 0;
  for (const auto& piece : pieces) {
    std::size_t at = Find(idl, piece);
    if (at == std::string::npos) continue;
    EXPECT_GE(at, last) << "out of order: " << piece;
    last = at;
  }
  EXPECT_EQ(idl.find("VARIANT_BOOL"), std::string::npos) << "declares a base type it does not use";
  EXPECT_EQ(idl.find("interface IUnknown"), std::string::npos) << "declares IUnknown it does not use";
}

TEST(IdlWriter, DefinesWhatIsHeldByValueFirstAndForwardDeclaresInterfaces) {
  TypeLibrary lib = test::SampleLibrary();
  // IShape's Move now takes a struct defined after it, and an interface after that.
  TypeInfo point;
  point.kind = TypeKind::kRecord;
  point.name = "Point";
  point.variables.push_back(test::MakeVariable("x", 0x40000000, VarKind::kPerInstance, 0, test::BaseType(vt::kI4)));
  lib.types.push_back(point);
  TypeInfo later;
  later.kind = TypeKind::kInterface;
  later.name = "ILater";
  later.guid = test::SampleGuid(9);
  later.implemented.push_back(ImplementedType{TypeRef{-1, 0, {}, "IUnknown"}, 0, {}});
  lib.types.push_back(later);
  auto& params = lib.types[1].functions[1].params;
  params.push_back(Param{"where", test::LocalType(4, "Point"), kParamFlagIn, {}, {}});
  params.push_back(Param{"next", test::PointerTo(test::LocalType(5, "ILater")), kParamFlagIn, {}, {}});

  const std::string idl = WriteIdl(lib);
  const std::size_t forward = Find(idl, "    interface ILater;\n");
  const std::size_t pointDefinition = Find(idl, "} Point;");
  const std::size_t shape = Find(idl, "interface IShape : IDispatch {");
  const std::size_t laterDefinition = Find(idl, "interface ILater : IUnknown {");
  EXPECT_LT(forward, shape);
  EXPECT_LT(pointDefinition, shape);
  EXPECT_GT(laterDefinition, shape);
  Find(idl, "[in] Point where");
  Find(idl, "[in] ILater* next");
  EXPECT_EQ(idl.find("interface Point;"), std::string::npos) << "forward declared a struct";
}

TEST(IdlWriter, WritesEveryKindOfDefaultValue) {
  struct Case {
    std::uint16_t paramType;
    Value value;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {vt::kI4, Value{vt::kI4, std::int64_t{-5}}, "defaultvalue(-5)"},
      {vt::kUi4, Value{vt::kUi4, std::uint64_t{4294967295u}}, "defaultvalue(4294967295)"},
      {vt::kR8, Value{vt::kR8, 0.1}, "defaultvalue(0.1)"},
      {vt::kR4, Value{vt::kR4, 2.0}, "defaultvalue(1073741824 /* 2.0 */)"},
      {vt::kDispatch, Value{vt::kDispatch, std::vector<std::uint8_t>{0, 0, 0, 0}}, "defaultvalue(0)"},
      {vt::kBool, Value{vt::kBool, std::int64_t{-1}}, "defaultvalue(-1)"},
      {vt::kCy, Value{vt::kCy, std::int64_t{15000}}, "defaultvalue(1.5)"},
      {vt::kError, Value{vt::kError, std::int64_t{-2147467259}}, "defaultvalue(0x80004005)"},
      {vt::kBstr, Value{vt::kBstr, std::string("c:\\dir \"x\"")}, "defaultvalue(\"c:\\\\dir \\\"x\\\"\")"},
  };
  for (const auto& c : cases) {
    TypeLibrary lib = test::SampleLibrary();
    Param& label = lib.types[1].functions[1].params[1];
    label.type = test::BaseType(c.paramType);
    label.defaultValue = c.value;
    const std::string idl = WriteIdl(lib);
    EXPECT_NE(idl.find(c.expected), std::string::npos) << c.expected << "\n" << idl;
  }
}

TEST(IdlWriter, AliasesArePublicAndPointerAliasesUnique) {
  TypeLibrary lib = test::SampleLibrary();
  TypeInfo handle;
  handle.kind = TypeKind::kAlias;
  handle.name = "SHAPEPTR";
  handle.aliasOf = test::PointerTo(test::LocalType(1, "IShape"));
  lib.types.push_back(handle);
  TypeInfo colour;
  colour.kind = TypeKind::kAlias;
  colour.name = "COLOUR";
  colour.helpString = "a colour";
  colour.aliasOf = test::BaseType(vt::kUi4);
  lib.types.push_back(colour);
  const std::string idl = WriteIdl(lib);
  Find(idl, "typedef [public, unique]\n    IShape* SHAPEPTR;");
  Find(idl, "typedef [public, helpstring(\"a colour\")]\n    unsigned long COLOUR;");
}

// Names from the file that are no IDL identifiers would add declarations or
// break the text: each is written changed (the same way wherever it stands,
// unique in its scope) and listed in the header; strings stay strings.
TEST(IdlWriter, WritesOnlyIdentifiersAndKeepsStringsWhole) {
  TypeLibrary lib = test::SampleLibrary();
  lib.attributes.name = "Sample Lib";
  lib.attributes.helpString = "end\"); [uuid(1)] library Other {\r\n";
  lib.types[1].name = "IShape { long injected0; }";
  lib.types[3].implemented[0].type.name = lib.types[1].name;  // as the reader names a reference
  lib.types[2].variables[0].name = "Count; long injected1";
  lib.types[2].variables.push_back(lib.types[2].variables[0]);
  lib.types[2].variables.back().name = "Count__long_injected1";  // the change's first choice, taken
  lib.types[1].functions[0].name = "default";
  lib.types[1].functions[1].params[0].name = "9dx";
  IdlOptions options;
  options.fileName = "a\nlibrary Evil {";

  const std::string idl = WriteIdl(lib, options);
  for (const char* piece : {
           "// typelib filename: a\\x0alibrary Evil {\n",
           "//   \"Sample Lib\" as Sample_Lib\n",
           "//   \"Count; long injected1\" as Count__long_injected1_2\n",
           "helpstring(\"end\\\"); [uuid(1)] library Other {  \")",
           "library Sample_Lib\n",
           "interface IShape___long_injected0___ : IDispatch {",
           "interface IShape___long_injected0___;\n",  // in the coclass
           "long Count__long_injected1_2;",
           "long Count__long_injected1;",
           "HRESULT default_([out, retval] Colors* value);",
           "[in] long _9dx,",
       }) {
    Find(idl, piece);
  }
  // What the compiler reads: the text without its comment lines.
  std::string code;
  for (std::size_t at = 0, end = 0; at < idl.size(); at = end + 1) {
    end = std::min(idl.find('\n', at), idl.size());
    if (idl.compare(at, 2, "//") != 0) code += idl.substr(at, end - at) + "\n";
  }
  EXPECT_EQ(code.find(" injected0;"), std::string::npos) << code;
  EXPECT_EQ(code.find(" injected1;"), std::string::npos) << code;
  EXPECT_EQ(code.find("library Evil"), std::string::npos) << code;
}

// An imported interface is declared with as many functions as its vtable
// holds, counted in the pointer size of the library it comes from: the
// functions of an interface derived from it then get their own offsets.
TEST(IdlWriter, DeclaresAnImportedInterfaceWithItsVtableInItsOwnWidth) {
  struct Case {
    int sysKind;
    std::uint16_t vtableSize;  // IUnknown's three functions and two more
  };
  for (const Case& c : {Case{kSysWin32, 20}, Case{kSysWin64, 40}}) {
    TypeLibrary imported;
    imported.attributes.sysKind = c.sysKind;
    TypeInfo base;
    base.kind = TypeKind::kInterface;
    base.name = "IBase";
    base.guid = test::SampleGuid(0x50);
    base.vtableSize = c.vtableSize;
    imported.types.push_back(base);

    TypeLibrary lib = test::SampleLibrary();
    lib.attributes.sysKind = kSysWin64 + kSysWin32 - c.sysKind;  // the other width than the import
    lib.types[1].implemented.front().type = TypeRef{-1, 0, base.guid, "", 0};
    IdlOptions options;
    options.imports = {&imported};
    const std::string idl = WriteIdl(lib, options);
    Find(idl, "interface IBase : IUnknown { HRESULT m1(); HRESULT m2(); }\n");
    Find(idl, "interface IShape : IBase {");
  }
}

}  // namespace
}  // namespace korvane::typelib
