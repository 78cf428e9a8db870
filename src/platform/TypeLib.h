#pragma once
// The type-library information the inspector needs: the library-level
// attributes of the type library held in (or being) a file. On Windows the
// library is loaded through the system's type-library loader; on Linux our own
// reader of MSFT and SLTG data does the work.

#include <cstdint>
#include <string>
#include <variant>

namespace korvane::platform {

// The platform a library was built for.
inline constexpr int kSysKindWin16 = 0;
inline constexpr int kSysKindWin32 = 1;
inline constexpr int kSysKindMac = 2;
inline constexpr int kSysKindWin64 = 3;

class TypeLibrary {
 public:
  TypeLibrary() = default;
  TypeLibrary(std::string name, std::string helpString, std::string guid, std::uint16_t major,
              std::uint16_t minor, std::uint32_t lcid, int sysKind, std::uint16_t libFlags)
      : name_(std::move(name)), helpString_(std::move(helpString)), guid_(std::move(guid)),
        major_(major), minor_(minor), lcid_(lcid), sysKind_(sysKind), libFlags_(libFlags) {}

  const std::string& Name() const { return name_; }
  const std::string& HelpString() const { return helpString_; }
  // Registry form with braces, upper-case hex: {00020430-0000-0000-C000-000000000046}.
  const std::string& GUID() const { return guid_; }
  std::uint16_t MajorVersion() const { return major_; }
  std::uint16_t MinorVersion() const { return minor_; }
  std::uint32_t LCID() const { return lcid_; }
  int SysKind() const { return sysKind_; }
  std::uint16_t LibFlags() const { return libFlags_; }

  // The same library: same GUID, major and minor version and locale.
  bool IsSameLibrary(const TypeLibrary& other) const {
    return guid_ == other.guid_ && major_ == other.major_ && minor_ == other.minor_ && lcid_ == other.lcid_;
  }

 private:
  std::string name_;
  std::string helpString_;
  std::string guid_;
  std::uint16_t major_ = 0;
  std::uint16_t minor_ = 0;
  std::uint32_t lcid_ = 0;
  int sysKind_ = kSysKindWin32;
  std::uint16_t libFlags_ = 0;
};

// Why no library could be read: the loader's failing HRESULT as a signed
// number, and a description naming the file.
struct TypeLibFailure {
  long number = 0;
  std::string description;
};

// A library, or the failure that left none.
class TypeLibResult {
 public:
  TypeLibResult(TypeLibrary library) : state_(std::move(library)) {}
  TypeLibResult(TypeLibFailure failure) : state_(std::move(failure)) {}

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }
  // Asking for the library of a failure throws std::bad_variant_access.
  const TypeLibrary& value() const { return std::get<0>(state_); }
  const TypeLibrary* operator->() const { return &value(); }
  const TypeLibFailure& failure() const { return std::get<1>(state_); }

 private:
  std::variant<TypeLibrary, TypeLibFailure> state_;
};

// The type library of a file: a stand-alone library, the first TYPELIB
// resource of a PE file, or resource N for the "file\N" form; a failure when
// the file holds no readable type library.
TypeLibResult TypeLibInfoFromFile(const std::string& path);

}  // namespace korvane::platform
