#include "typelib/TypeText.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <type_traits>
#include <string_view>

namespace korvane::typelib {

using formats::TypeDesc;
namespace vt = formats::vt;

namespace {

constexpr unsigned char kFirstPrintable = 0x20;

struct VtNames {
  std::uint16_t vt;
  const char* idl;    // as IDL declares it; nullptr when IDL has no word for it
  const char* label;  // the VARENUM name
};

constexpr std::array kVtNames{
    VtNames{vt::kEmpty, nullptr, "VT_EMPTY"},
    VtNames{vt::kNull, nullptr, "VT_NULL"},
    VtNames{vt::kI2, "short", "VT_I2"},
    VtNames{vt::kI4, "long", "VT_I4"},
    VtNames{vt::kR4, "float", "VT_R4"},
    VtNames{vt::kR8, "double", "VT_R8"},
    VtNames{vt::kCy, "CURRENCY", "VT_CY"},
    VtNames{vt::kDate, "DATE", "VT_DATE"},
    VtNames{vt::kBstr, "BSTR", "VT_BSTR"},
    VtNames{vt::kDispatch, "IDispatch*", "VT_DISPATCH"},
    VtNames{vt::kError, "SCODE", "VT_ERROR"},
    VtNames{vt::kBool, "VARIANT_BOOL", "VT_BOOL"},
    VtNames{vt::kVariant, "VARIANT", "VT_VARIANT"},
    VtNames{vt::kUnknown, "IUnknown*", "VT_UNKNOWN"},
    VtNames{vt::kDecimal, "DECIMAL", "VT_DECIMAL"},
    VtNames{vt::kI1, "char", "VT_I1"},
    VtNames{vt::kUi1, "unsigned char", "VT_UI1"},
    VtNames{vt::kUi2, "unsigned short", "VT_UI2"},
    VtNames{vt::kUi4, "unsigned long", "VT_UI4"},
    VtNames{vt::kI8, "hyper", "VT_I8"},
    VtNames{vt::kUi8, "unsigned hyper", "VT_UI8"},
    VtNames{vt::kInt, "int", "VT_INT"},
    VtNames{vt::kUint, "unsigned int", "VT_UINT"},
    VtNames{vt::kVoid, "void", "VT_VOID"},
    VtNames{vt::kHresult, "HRESULT", "VT_HRESULT"},
    VtNames{vt::kPtr, nullptr, "VT_PTR"},
    VtNames{vt::kSafeArray, nullptr, "VT_SAFEARRAY"},
    VtNames{vt::kCArray, nullptr, "VT_CARRAY"},
    VtNames{vt::kUserDefined, nullptr, "VT_USERDEFINED"},
    VtNames{vt::kLpstr, "LPSTR", "VT_LPSTR"},
    VtNames{vt::kLpwstr, "LPWSTR", "VT_LPWSTR"},
    VtNames{vt::kRecord, nullptr, "VT_RECORD"},
    VtNames{vt::kIntPtr, "INT_PTR", "VT_INT_PTR"},
    VtNames{vt::kUintPtr, "UINT_PTR", "VT_UINT_PTR"},
    VtNames{vt::kFiletime, "FILETIME", "VT_FILETIME"},
    VtNames{vt::kBlob, nullptr, "VT_BLOB"},
    VtNames{vt::kClsid, "CLSID", "VT_CLSID"},
};

const VtNames* FindVt(std::uint16_t type) {
  for (const auto& entry : kVtNames) {
    if (entry.vt == type) return &entry;
  }
  return nullptr;
}

std::string VtLabel(std::uint16_t type) {
  const VtNames* names = FindVt(type);
  return names ? names->label : "VT_" + std::to_string(type);
}

}  // namespace

std::string BaseTypeName(std::uint16_t type) {
  const char* keyword = BaseTypeKeyword(type);
  return keyword ? keyword : std::string();
}

const char* BaseTypeKeyword(std::uint16_t type) {
  const VtNames* names = FindVt(type);
  return names ? names->idl : nullptr;
}

const TypeDesc& WithoutArray(const TypeDesc& type) {
  if (type.type == vt::kCArray && type.element.size() == 1) return type.element.front();
  return type;
}

std::string ArrayBoundsText(const TypeDesc& type) {
  if (type.type != vt::kCArray) return {};
  std::string text;
  // No elements: an open array, whose size the structure's other fields give.
  for (const auto& bound : type.bounds) text += bound.elements ? "[" + std::to_string(bound.elements) + "]" : "[]";
  return text;
}

std::string TypeDescText(const TypeDesc& type) {
  return TypeDescText(type, [](const formats::TypeRef& ref) { return ref.name.empty() ? std::string("?") : ref.name; });
}

std::string TypeDescText(const TypeDesc& type, const RefNamer& refName) {
  auto element = [&]() -> std::string {
    return type.element.size() == 1 ? TypeDescText(type.element.front(), refName) : std::string("?");
  };
  switch (type.type) {
    case vt::kPtr:
      return element() + "*";
    case vt::kSafeArray:
      return "SAFEARRAY(" + element() + ")";
    case vt::kCArray:
      return element() + ArrayBoundsText(type);
    case vt::kUserDefined:
      return refName(type.ref);
    default:
      break;
  }
  std::string name = BaseTypeName(type.type);
  return name.empty() ? VtLabel(type.type) : name;
}

std::string TypeKindName(formats::TypeKind kind) {
  switch (kind) {
    case formats::TypeKind::kEnum: return "enum";
    case formats::TypeKind::kRecord: return "struct";
    case formats::TypeKind::kModule: return "module";
    case formats::TypeKind::kInterface: return "interface";
    case formats::TypeKind::kDispatch: return "dispinterface";
    case formats::TypeKind::kCoClass: return "coclass";
    case formats::TypeKind::kAlias: return "typedef";
    case formats::TypeKind::kUnion: return "union";
  }
  return "kind " + std::to_string(static_cast<int>(kind));
}

std::string InvokeKindName(formats::InvokeKind kind) {
  switch (kind) {
    case formats::InvokeKind::kFunc: return "func";
    case formats::InvokeKind::kPropertyGet: return "propget";
    case formats::InvokeKind::kPropertyPut: return "propput";
    case formats::InvokeKind::kPropertyPutRef: return "propputref";
  }
  return "invoke " + std::to_string(static_cast<int>(kind));
}

bool IsZeroGuid(const formats::Guid& guid) {
  for (auto byte : guid) {
    if (byte != 0) return false;
  }
  return true;
}

std::string GuidText(const formats::Guid& guid) {
  std::string braced = formats::GuidToRegistryText(guid);  // {XXXXXXXX-...}
  std::string text = braced.size() > 2 ? braced.substr(1, braced.size() - 2) : braced;
  for (char& c : text) {
    if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

namespace {

// text in double quotes, " and \ escaped; control gives the text for a
// control character other than TAB.
template <typename Control>
std::string Quoted(const std::string& text, Control control) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    if (static_cast<unsigned char>(c) < kFirstPrintable && c != '\t') {
      out += control(static_cast<unsigned char>(c));
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace

std::string QuotedString(const std::string& text) {
  // No escape stands for a line break or another control character, and
  // the compiler drops a line break: each is written as a blank, so that
  // the string stays on its line.
  return Quoted(text, [](unsigned char) { return std::string(" "); });
}

std::string DisplayString(const std::string& text) {
  return Quoted(text, [](unsigned char byte) {
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
    return std::string(escaped);
  });
}

std::string ExactDouble(double value) {
  if (std::isnan(value) || std::isinf(value)) return "0.0";
  char text[40];
  for (int precision = 1; precision <= 17; ++precision) {
    std::snprintf(text, sizeof text, "%.*g", precision, value);
    if (std::strtod(text, nullptr) == value) break;
  }
  std::string out = text;
  if (out.find_first_of(".eE") == std::string::npos) out += ".0";
  return out;
}

std::string HexText(std::uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
  return text;
}

std::string ValueLiteral(const formats::Value& value) {
  return std::visit(
      [&](const auto& data) -> std::string {
        using T = std::decay_t<decltype(data)>;
        if constexpr (std::is_same_v<T, std::int64_t>) {
          if (value.type == vt::kCy) {
            if (data % 10000 == 0) return std::to_string(data / 10000);
            return ExactDouble(static_cast<double>(data) / 10000.0);
          }
          if (value.type == vt::kError || value.type == vt::kHresult) {
            return HexText(static_cast<std::uint32_t>(data));
          }
          return std::to_string(data);
        } else if constexpr (std::is_same_v<T, std::uint64_t>) {
          return std::to_string(data);
        } else if constexpr (std::is_same_v<T, double>) {
          if (value.type == vt::kR4) {
            // The IDL compiler reads no floating-point numbers: it stores the
            // integer it is given in the value's bytes. The bits of the float
            // as an integer give back the float, which the comment shows.
            const float single = static_cast<float>(data);
            std::int32_t bits = 0;
            std::memcpy(&bits, &single, sizeof bits);
            return std::to_string(bits) + " /* " + ExactDouble(data) + " */";
          }
          return ExactDouble(data);
        } else if constexpr (std::is_same_v<T, std::string>) {
          return QuotedString(data);
        } else if constexpr (std::is_same_v<T, std::vector<std::uint8_t>>) {
          // Zero (a null interface pointer, an empty variant) is the one
          // such value IDL can write.
          const bool pointer = value.type == vt::kDispatch || value.type == vt::kUnknown || value.type == vt::kVariant;
          const bool zero = std::all_of(data.begin(), data.end(), [](std::uint8_t b) { return b == 0; });
          return pointer && zero ? std::string("0") : std::string();
        } else {
          return {};
        }
      },
      value.data);
}

std::string ValueDescription(const formats::Value& value) {
  std::string text = VtLabel(value.type);
  if (const auto* bytes = std::get_if<std::vector<std::uint8_t>>(&value.data)) {
    static constexpr std::string_view kHex = "0123456789abcdef";
    text += " bytes ";
    for (auto byte : *bytes) {
      text += kHex[byte >> 4];
      text += kHex[byte & 0xf];
    }
    return text;
  }
  if (const auto* string = std::get_if<std::string>(&value.data)) return text + " " + DisplayString(*string);
  std::string literal = ValueLiteral(value);
  return literal.empty() ? text : text + " " + literal;
}

}  // namespace korvane::typelib
