// The comparison of two libraries: each kind of difference is found, named by
// its path, and the options leave out exactly what they name.

#include <gtest/gtest.h>

#include <functional>

#include "SampleModel.h"
#include "typelib/TypeLibCompare.h"

namespace korvane::typelib {
namespace {

using namespace formats;

struct CompareCase {
  const char* what;
  std::function<void(TypeLibrary&)> change;  // applied to the second library
  CompareOptions options;
  std::vector<std::string> expected;
};

TEST(TypeLibCompare, NamesEachDifferenceByItsPath) {
  CompareOptions none;
  CompareOptions layoutAndOrder;
  layoutAndOrder.ignoreLayout = true;
  layoutAndOrder.ignoreTypeOrder = true;
  layoutAndOrder.ignoreMemberOrder = true;
  CompareOptions nameCase;
  nameCase.ignoreNameCase = true;
  CompareOptions libraryCustom;
  libraryCustom.ignoreLibraryCustomData = true;

  const std::vector<CompareCase> cases = {
      {"identical", [](TypeLibrary&) {}, none, {}},
      {"param flags",
       [](TypeLibrary& lib) { lib.types[1].functions[1].params[0].flags = kParamFlagIn | kParamFlagOut; },
       none,
       {"type IShape: function Move: param 1 (dx): flags 0x1 vs 0x3"}},
      {"property matched by invoke kind",
       [](TypeLibrary& lib) { lib.types[1].functions[0].invokeKind = InvokeKind::kPropertyPut; },
       none,
       {"type IShape: function Color (propget): only in the first library",
        "type IShape: function Color (propput): only in the second library"}},
      {"default value",
       [](TypeLibrary& lib) { lib.types[1].functions[1].params[1].defaultValue = Value{vt::kBstr, std::string("x")}; },
       none,
       {"type IShape: function Move: param 2 (label): default value VT_BSTR \"a \\\"b\\\"\" vs VT_BSTR \"x\""}},
      {"local type against an imported one of the same name",
       [](TypeLibrary& lib) {
         auto& ref = lib.types[1].functions[0].params[0].type.element[0].ref;
         ref.localIndex = -1;
         ref.importIndex = 0;
       },
       none,
       {"type IShape: function Color (propget): param 1 (value): type Colors* (local) vs Colors* "
        "(imported from 00000011-0000-0000-0000-000000000099)"}},
      {"a type's index moves only the index, and is ignored when told",
       [](TypeLibrary& lib) { std::swap(lib.types[2], lib.types[3]); },
       none,
       {"type DShapeEvents: index 2 vs 3", "type Shape: index 3 vs 2"}},
      {"order and layout ignored",
       [](TypeLibrary& lib) {
         std::swap(lib.types[2], lib.types[3]);
         std::swap(lib.types[1].functions[0], lib.types[1].functions[1]);
         lib.types[1].functions[0].vtableOffset = 28;
         lib.types[1].vtableSize = 36;
       },
       layoutAndOrder,
       {}},
      {"layout reported when not ignored",
       [](TypeLibrary& lib) { lib.types[1].vtableSize = 36; },
       none,
       {"type IShape: vtable size 72 vs 36"}},
      {"name case",
       [](TypeLibrary& lib) { lib.types[2].variables[0].name = "COUNT"; },
       none,
       {"type DShapeEvents: variable Count: name \"Count\" vs \"COUNT\""}},
      {"name case ignored", [](TypeLibrary& lib) { lib.types[2].variables[0].name = "COUNT"; }, nameCase, {}},
      {"same name, other kind",
       [](TypeLibrary& lib) { lib.types[0].kind = TypeKind::kRecord; },
       none,
       {"type Colors (enum): only in the first library", "type Colors (struct): only in the second library"}},
      {"implemented interface flags",
       [](TypeLibrary& lib) { lib.types[3].implemented[1].flags = kImplTypeFlagSource; },
       none,
       {"type Shape: implemented 2 (DShapeEvents): flags 0x3 vs 0x2"}},
      {"constant value",
       [](TypeLibrary& lib) { lib.types[0].variables[1].value = Value{vt::kI4, std::int64_t{8}}; },
       none,
       {"type Colors: variable Blue: value VT_I4 7 vs VT_I4 8"}},
      {"library custom data, and ignoring it",
       [](TypeLibrary& lib) { lib.custom.push_back(CustomData{test::SampleGuid(5), Value{vt::kI4, std::int64_t{1}}}); },
       none,
       {"library: custom 00000011-0000-0000-0000-000000000005: only in the second library"}},
      {"library custom data ignored",
       [](TypeLibrary& lib) { lib.custom.push_back(CustomData{test::SampleGuid(5), Value{vt::kI4, std::int64_t{1}}}); },
       libraryCustom,
       {}},
      // One part of a version differing is a difference: the minor alone,
      // the major alone.
      {"library minor version",
       [](TypeLibrary& lib) { lib.attributes.minorVersion = 3; },
       none,
       {"library: version 1.2 vs 1.3"}},
      {"type major version",
       [](TypeLibrary& lib) { lib.types[1].majorVersion = 4; },
       none,
       {"type IShape: version 0.0 vs 4.0"}},
      // A line break would start a line of its own, and show as a blank.
      {"text with a line break",
       [](TypeLibrary& lib) { lib.attributes.helpString = "Sample\nlibrary"; },
       none,
       {"library: help string \"Sample library\" vs \"Sample\\x0alibrary\""}},
      {"parameter missing",
       [](TypeLibrary& lib) { lib.types[1].functions[1].params.pop_back(); },
       none,
       {"type IShape: function Move: param count 2 vs 1"}},
  };
  const TypeLibrary first = test::SampleLibrary();
  for (const auto& c : cases) {
    TypeLibrary second = first;
    c.change(second);
    EXPECT_EQ(CompareTypeLibraries(first, second, c.options), c.expected) << c.what;
  }
}

}  // namespace
}  // namespace korvane::typelib
