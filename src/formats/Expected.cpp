#include "formats/Expected.h"

namespace korvane::formats {

const char* ErrorKindText(ErrorKind kind) {
  switch (kind) {
    case ErrorKind::kCannotOpen: return "the file cannot be opened";
    case ErrorKind::kNotRegularFile: return "not a regular file";
    case ErrorKind::kReadFailed: return "the file cannot be read";
    case ErrorKind::kWriteFailed: return "the file cannot be written";
    case ErrorKind::kOutOfRange: return "the data ends before the bytes asked for";
    case ErrorKind::kTooLarge: return "too large";
    case ErrorKind::kNotPe: return "not a PE image";
    case ErrorKind::kBadHeaders: return "malformed PE headers or section table";
    case ErrorKind::kNoResources: return "the image has no resources";
    case ErrorKind::kBadResourceDirectory: return "malformed resource directory";
    case ErrorKind::kResourceLoop: return "the resource directory refers to itself";
    case ErrorKind::kTooManyEntries: return "too many resource directory entries";
    case ErrorKind::kResourceOutOfFile: return "resource data lies outside the file";
    case ErrorKind::kBadImports: return "malformed import directory";
    case ErrorKind::kBadExports: return "malformed export directory";
    case ErrorKind::kTooManyNames: return "more imports or exports than the reader accepts";
    case ErrorKind::kNotFound: return "not found";
    case ErrorKind::kBadVersionBlock: return "malformed version block";
    case ErrorKind::kNotTypeLib: return "no type library";
    case ErrorKind::kBadTypeLib: return "damaged type library";
    case ErrorKind::kBadRegFile: return "malformed registry script";
    case ErrorKind::kBadKeyName: return "malformed key name";
    case ErrorKind::kBadWineRegistry: return "malformed Wine registry file";
  }
  return "unknown error";
}

Error MakeError(ErrorKind kind, const std::string& detail) {
  std::string message = ErrorKindText(kind);
  if (!detail.empty()) message += ": " + detail;
  return Error{kind, std::move(message)};
}

}  // namespace korvane::formats
