#pragma once
// The whole content of a type library as our reader finds it against the
// same library as the system loader presents it.

#include <map>
#include <string>

namespace korvane::crosscheck {

struct ContentTally {
  int libraries = 0;
  int librariesAgreeing = 0;   // no difference at all
  int librariesExplained = 0;  // no difference but the loader's known gaps
  long types = 0;
  long typesAgreeing = 0;  // no difference at all
  long functions = 0;
  long variables = 0;
  long params = 0;
  int differences = 0;  // not explained by the loader's known gaps
  std::map<std::string, int> known;  // explained differences by reason
  std::map<std::string, int> unobservable;  // values the loader cannot show, taken from our side, by kind
};

// Reads pathUtf8 ("file" or "file\N") both ways and compares. Prints a DIFF
// line per unexplained difference and a KNOWN line per explained one (with
// verbose, SAME per library that agrees).
void CompareTypeLibraryContent(ContentTally& tally, const std::string& pathUtf8, bool verbose);

}  // namespace korvane::crosscheck
