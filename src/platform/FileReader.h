#pragma once
// Files opened for the readers of formats/: the bytes of a regular file, read
// at offsets. Opening never waits: anything but a regular file (a folder,
// FIFO, device or socket) is refused as kNotRegularFile without being opened
// for reading in a way that could block, and paths of any length are taken.

#include <memory>
#include <string>

#include "formats/ByteSource.h"
#include "formats/Expected.h"

namespace korvane::platform {

// kCannotOpen when the file is missing or may not be read, kNotRegularFile
// for what is no regular file. Small reads are served from cached pages.
formats::Expected<std::shared_ptr<const formats::ByteSource>> OpenFileReader(const std::string& path);

}  // namespace korvane::platform
