#pragma once
// Saving a text the way the report writes its output file (no waiting on a
// FIFO or device, no following of planted links), as one piece: after a
// failed write the file is cut back to nothing rather than left half written.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace korvane::forms {

// The operations a save needs: platform::OutputFile's, behind an interface so
// that a failing disk can be stood in for.
class TextFileTarget {
 public:
  virtual platform::FileError Open(const std::string& path) = 0;
  virtual platform::FileError Write(std::string_view data) = 0;
  virtual platform::FileError Truncate(std::uint64_t size) = 0;
  virtual void Close() = 0;

 protected:
  ~TextFileTarget() = default;
};

// Writes text as the whole content of the file at path; None on success.
platform::FileError SaveWholeText(const std::string& path, std::string_view text);
platform::FileError SaveWholeText(TextFileTarget& target, const std::string& path, std::string_view text);

// A short description of a failure for a message ("the disk is full").
const char* FileErrorText(platform::FileError error);

}  // namespace korvane::forms
