#pragma once
// The diagnosis and the dependency tree as text and as JSON.

#include <string>

#include <nlohmann/json.hpp>

#include "diagnosis/Diagnosis.h"

namespace korvane::diagnosis {

// The reason followed by its notes, one paragraph each.
std::string DiagnosisText(const Diagnosis& d);
nlohmann::ordered_json DiagnosisJson(const Diagnosis& d);

// One line per node, indented two blanks per level: "name  state  path", with
// the functions a module lacks on lines of their own below it.
std::string TreeText(const DependencyTree& tree);
nlohmann::ordered_json TreeJson(const DependencyTree& tree);

}  // namespace korvane::diagnosis
