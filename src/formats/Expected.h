#pragma once
// The one way the readers of this folder report a failure: a function returns
// Expected<T>, which holds either its value or an Error naming the kind of
// fault and saying, for people, what was wrong and where.

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace korvane::formats {

enum class ErrorKind {
  // Byte sources and files.
  kCannotOpen,            // the file does not exist or may not be opened
  kNotRegularFile,        // a folder, FIFO, device or socket: no bytes to read
  kReadFailed,            // the file was opened but reading it failed
  kWriteFailed,           // a file could not be written, replaced or removed
  kOutOfRange,            // a read beyond the end of the bytes
  kTooLarge,              // more bytes than the reader accepts
  // PE images.
  kNotPe,                 // no MZ header, no PE signature, or its offset outside the file
  kBadHeaders,            // the optional header or the section table is truncated or malformed
  kNoResources,           // the image has no resource directory
  kBadResourceDirectory,  // a directory, entry or name lies outside the resource section
  kResourceLoop,          // a directory refers to itself or to one already walked
  kTooManyEntries,        // more directory entries than any real image holds
  kResourceOutOfFile,     // a resource's bytes do not lie inside the file
  kBadImports,            // an import or delay-import entry lies outside the image
  kBadExports,            // the export directory or one of its tables lies outside the image
  kTooManyNames,          // more imported or exported functions or modules than the reader accepts
  kNotFound,              // nothing matches the request (resource, value, library id)
  // Version blocks.
  kBadVersionBlock,       // no readable root node, or a fixed block too short
  // Type libraries.
  kNotTypeLib,            // no MSFT or SLTG data where a library was expected
  kBadTypeLib,            // a structure of the library is damaged or truncated
  // Registry scripts.
  kBadRegFile,            // a line the script syntax does not allow
  kBadKeyName,            // an unknown root or an empty or too long key name
  // Wine's registry files.
  kBadWineRegistry,       // a line the file format does not allow, or over a limit
};

// A short English description of a kind.
const char* ErrorKindText(ErrorKind kind);

struct Error {
  ErrorKind kind = ErrorKind::kReadFailed;
  std::string message;  // never empty: at least the text of the kind
  int line = 0;         // text formats: the 1-based line of the fault; 0 otherwise
};

// An Error whose message is the kind's own text, or that text followed by detail.
Error MakeError(ErrorKind kind, const std::string& detail = {});

template <typename T>
class [[nodiscard]] Expected {
 public:
  Expected(T value) : state_(std::in_place_index<0>, std::move(value)) {}
  Expected(Error error) : state_(std::in_place_index<1>, std::move(error)) {}

  bool has_value() const { return state_.index() == 0; }
  explicit operator bool() const { return has_value(); }

  // Asking for the value of an error (or the error of a value) is a fault of
  // the caller; it throws (std::bad_variant_access, std::bad_optional_access)
  // rather than read garbage.
  T& value() & { return std::get<0>(state_); }
  const T& value() const& { return std::get<0>(state_); }
  T&& value() && { return std::get<0>(std::move(state_)); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T&& operator*() && { return std::move(*this).value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  const Error& error() const { return std::get<1>(state_); }

  T value_or(T fallback) const& { return has_value() ? value() : std::move(fallback); }

 private:
  std::variant<T, Error> state_;
};

template <>
class [[nodiscard]] Expected<void> {
 public:
  Expected() = default;
  Expected(Error error) : error_(std::move(error)) {}

  bool has_value() const { return !error_.has_value(); }
  explicit operator bool() const { return has_value(); }
  const Error& error() const { return error_.value(); }

 private:
  std::optional<Error> error_;
};

}  // namespace korvane::formats
