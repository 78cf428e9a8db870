#pragma once
// The library-level attributes of a type library (MSFT or SLTG data): name,
// help string, GUID, version, locale, platform and flags.

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "formats/Expected.h"

namespace korvane::formats {

enum class TypeLibFormat { Msft, Sltg };

// Platform of the library (the low bits of the MSFT flags, the SLTG field).
inline constexpr int kSysWin16 = 0;
inline constexpr int kSysWin32 = 1;
inline constexpr int kSysMac = 2;
inline constexpr int kSysWin64 = 3;

// Library flags.
inline constexpr std::uint16_t kLibFlagRestricted = 1;
inline constexpr std::uint16_t kLibFlagControl = 2;
inline constexpr std::uint16_t kLibFlagHidden = 4;

using Guid = std::array<std::uint8_t, 16>;

struct TypeLibAttributes {
  TypeLibFormat format = TypeLibFormat::Msft;
  std::string name;        // UTF-8
  std::string helpString;  // UTF-8, empty when the library has none
  std::string helpFile;    // UTF-8, empty when the library has none
  Guid guid{};             // as stored: Data1..Data3 little-endian, then 8 bytes
  std::uint16_t majorVersion = 0;
  std::uint16_t minorVersion = 0;
  std::uint32_t lcid = 0;  // the locale the library reports (MSFT: the second LCID field)
  int sysKind = kSysWin32;
  std::uint16_t libFlags = 0;
  bool operator==(const TypeLibAttributes&) const = default;
};

// Reads the attributes of MSFT or SLTG data, chosen by the first four bytes:
// kNotTypeLib without either signature, kBadTypeLib for damaged data.
Expected<TypeLibAttributes> ReadTypeLib(std::span<const std::uint8_t> data);
Expected<TypeLibAttributes> ReadMsftTypeLib(std::span<const std::uint8_t> data);
Expected<TypeLibAttributes> ReadSltgTypeLib(std::span<const std::uint8_t> data);

// True when the data starts with the MSFT or SLTG signature.
bool IsTypeLibData(std::span<const std::uint8_t> data);

// A GUID in registry form: {00020430-0000-0000-C000-000000000046}, upper-case hex.
std::string GuidToRegistryText(const Guid& guid);
// The 16 stored bytes of a GUID from 16 bytes of data.
Guid GuidFromBytes(std::span<const std::uint8_t, 16> bytes);

}  // namespace korvane::formats
