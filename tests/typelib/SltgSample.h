#pragma once
// A library of every kind of type and member the SLTG builder writes, as the
// full reader must give it back; shared by the tests and the seed writer.

#include "SltgBuilder.h"

namespace korvane::test {

// Type positions in SampleSltgLibrary().types.
enum SltgSampleType : int {
  kSampleEnum,
  kSampleRecord,
  kSampleInterface,
  kSampleDispatch,
  kSampleCoClass,
  kSampleSimpleAlias,
  kSampleAlias,
  kSampleModule,
  kSampleTypeCount,
};

SltgFixture SampleSltgLibrary();

}  // namespace korvane::test
