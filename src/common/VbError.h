#pragma once
// A failure carried to an error handler: number, source and description, the
// three things the error report and the registry's error records show.

#include <stdexcept>
#include <string>

namespace korvane {

class VbError : public std::runtime_error {
 public:
  VbError(long number, std::string source, std::string description)
      : std::runtime_error(description), number_(number), source_(std::move(source)),
        description_(std::move(description)) {}
  long Number() const { return number_; }
  const std::string& Source() const { return source_; }
  const std::string& Description() const { return description_; }

 private:
  long number_;
  std::string source_;
  std::string description_;
};

}  // namespace korvane
