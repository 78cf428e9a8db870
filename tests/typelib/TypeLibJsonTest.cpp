// The model as JSON: kinds as words, nested types and values where scripts
// look for them.

#include <gtest/gtest.h>

#include "SampleModel.h"
#include "typelib/TypeLibJson.h"

namespace korvane::typelib {
namespace {

TEST(TypeLibJson, KeepsTheModelsShape) {
  const Json doc = TypeLibraryJson(test::SampleLibrary());
  struct Case {
    const char* pointer;
    Json expected;
  };
  const std::vector<Case> cases = {
      {"/attributes/name", "SampleLib"},
      {"/attributes/guid", "{00000011-0000-0000-0000-000000000001}"},
      {"/imports/0/fileName", "stdole2.tlb"},
      {"/types/0/kind", "enum"},
      {"/types/0/variables/1/value", Json{{"type", 3}, {"data", 7}}},
      {"/types/1/kind", "interface"},
      {"/types/1/flags", 0x1140},
      {"/types/1/functions/0/invokeKind", "propertyGet"},
      {"/types/1/functions/0/params/0/type/type", 26},
      {"/types/1/functions/0/params/0/type/element/ref/name", "Colors"},
      {"/types/1/functions/0/params/0/type/element/ref/localIndex", 0},
      {"/types/1/functions/1/params/1/defaultValue", Json{{"type", 8}, {"data", "a \"b\""}}},
      {"/types/1/functions/1/params/0/defaultValue", nullptr},
      {"/types/2/kind", "dispatch"},
      {"/types/3/implemented/1/flags", 3},
  };
  for (const auto& c : cases) {
    const Json::json_pointer pointer(c.pointer);
    ASSERT_TRUE(doc.contains(pointer)) << c.pointer;
    EXPECT_EQ(doc.at(pointer), c.expected) << c.pointer;
  }
}

}  // namespace
}  // namespace korvane::typelib
