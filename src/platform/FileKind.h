#pragma once
// What a path names, found without opening it: opening a FIFO waits for a
// writer and a device may never answer, so callers that are about to read a
// file ask first.

#include <string>

namespace korvane::platform {

enum class FileKind {
  Missing,    // nothing there (or it cannot be examined)
  Regular,    // a plain file
  Directory,
  Other,      // a FIFO, socket or device
};

// Follows symbolic links: a link to a plain file is a plain file.
FileKind KindOfFile(const std::string& path);

}  // namespace korvane::platform
