#pragma once
// Names and texts of the model's pieces as IDL writes them: base types,
// type descriptions, kinds, GUIDs and values. Shared by the IDL writer and by
// the comparison's messages.

#include <cstdint>
#include <functional>
#include <string>

#include "formats/TypeLibModel.h"

namespace korvane::typelib {

// The IDL name of a base VARENUM (VT_I4 -> "long"); empty for the composite
// ones (pointer, arrays, user-defined) and for numbers IDL has no name for.
std::string BaseTypeName(std::uint16_t vt);
// The same without a string made: nullptr where that one is empty.
const char* BaseTypeKeyword(std::uint16_t vt);

// A type description as IDL writes it before a name: "long", "BSTR*",
// "SAFEARRAY(VARIANT)", "IFoo*". A C array shows its bounds after the element
// ("long[4][2]"); the IDL writer puts them after the declared name instead.
std::string TypeDescText(const formats::TypeDesc& type);
// The same with the names of referenced types given by refName.
using RefNamer = std::function<std::string(const formats::TypeRef&)>;
std::string TypeDescText(const formats::TypeDesc& type, const RefNamer& refName);
// The array part of a C array, "[4][2]"; empty for other types.
std::string ArrayBoundsText(const formats::TypeDesc& type);
// The type without its C-array bounds (the element for VT_CARRAY).
const formats::TypeDesc& WithoutArray(const formats::TypeDesc& type);

// "interface", "dispinterface", "coclass", "enum", "struct", "union", "module", "typedef".
std::string TypeKindName(formats::TypeKind kind);
// "func", "propget", "propput", "propputref".
std::string InvokeKindName(formats::InvokeKind kind);

// A GUID as IDL writes it in uuid(): lower-case, no braces.
std::string GuidText(const formats::Guid& guid);
bool IsZeroGuid(const formats::Guid& guid);

// A string as an IDL string literal, quotes included. The IDL compiler knows
// only two escapes, \" and \\; every other byte stands for itself, but for
// line breaks and the other control characters but TAB, written as blanks.
std::string QuotedString(const std::string& text);
// The same for messages, where such a character is written \xNN instead, so
// that two texts that differ show different.
std::string DisplayString(const std::string& text);

// A double that reads back to exactly the same value.
std::string ExactDouble(double value);

// A value as it stands in IDL: 5, -1, 0x80004005, 1.5, "text"; a VT_R4 as
// the integer of its bits with the number in a comment. Empty when IDL cannot
// write it (VT_EMPTY, raw bytes other than a null interface pointer).
std::string ValueLiteral(const formats::Value& value);
// A value with its type for messages: "VT_I4 5", "VT_BSTR \"x\"".
std::string ValueDescription(const formats::Value& value);

// "0x1f" for flag words.
std::string HexText(std::uint64_t value);

}  // namespace korvane::typelib
