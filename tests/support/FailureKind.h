#pragma once
// The kind of error a reader returned, or nullopt when it returned a value:
// one comparison checks both that a read failed and how.

#include <optional>

#include "formats/Expected.h"

namespace korvane::test {

template <typename T>
std::optional<formats::ErrorKind> FailureKind(const formats::Expected<T>& result) {
  if (result) return std::nullopt;
  return result.error().kind;
}

}  // namespace korvane::test
