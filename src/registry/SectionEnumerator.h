#pragma once
// The sub-key enumeration behind clsRegistry::EnumerateSections, replaceable
// so that a test can make it fail the way only a broken system would.

#include <cstdint>
#include <string>

namespace korvane {

using SectionEnumerator = long (*)(std::uintptr_t key, std::uint32_t index, std::string* name,
                                   std::uint32_t maxChars);

// nullptr restores the platform's RegEnumKey.
void SetSectionEnumeratorForTesting(SectionEnumerator enumerator);
SectionEnumerator CurrentSectionEnumerator();

}  // namespace korvane
