#include "typelib/StandardOle.h"

#include <array>
#include <cstdint>

namespace korvane::typelib {

using namespace formats;

namespace {

struct StandardOleType {
  const char* name;
  TypeKind kind;
  const char* guid;     // empty for the types without one
  int vtableFunctions;  // an interface's functions, its bases' included
};

// As Wine's stdole2.tlb (version 2.0) holds them. An importing library names
// a type without a GUID by its position, so the order matters.
constexpr StandardOleType kStandardOleTypes[] = {
    {"GUID", TypeKind::kRecord, "", 0},
    {"DISPPARAMS", TypeKind::kRecord, "", 0},
    {"EXCEPINFO", TypeKind::kRecord, "", 0},
    {"IUnknown", TypeKind::kInterface, "00000000-0000-0000-C000-000000000046", 3},
    {"IDispatch", TypeKind::kInterface, "00020400-0000-0000-C000-000000000046", 7},
    {"IEnumVARIANT", TypeKind::kInterface, "00020404-0000-0000-C000-000000000046", 7},
    {"OLE_COLOR", TypeKind::kAlias, "66504301-BE0F-101A-8BBB-00AA00300CAB", 0},
    {"OLE_XPOS_PIXELS", TypeKind::kAlias, "66504302-BE0F-101A-8BBB-00AA00300CAB", 0},
    {"OLE_YPOS_PIXELS", TypeKind::kAlias, "66504303-BE0F-101A-8BBB-00AA00300CAB", 0},
    {"OLE_XSIZE_PIXELS", TypeKind::kAlias, "66504304-BE0F-101A-8BBB-00AA00300CAB", 0},
    {"OLE_YSIZE_PIXELS", TypeKind::kAlias, "66504305-BE0F-101A-8BBB-00AA00300CAB", 0},
    {"OLE_XPOS_HIMETRIC", TypeKind::kAlias, "66504306-BE0F-101A-8BBB-00AA00300CAB", 0},
    {"OLE_YPOS_HIMETRIC", TypeKind::kAlias, "66504307-BE0F-101A-8BBB-00AA00300CAB", 0},
    {"OLE_XSIZE_HIMETRIC", TypeKind::kAlias, "66504308-BE0F-101A-8BBB-00AA00300CAB", 0},
    {"OLE_YSIZE_HIMETRIC", TypeKind::kAlias, "66504309-BE0F-101A-8BBB-00AA00300CAB", 0},
    {"OLE_XPOS_CONTAINER", TypeKind::kAlias, "BF030640-9069-101B-AE2D-08002B2EC713", 0},
    {"OLE_YPOS_CONTAINER", TypeKind::kAlias, "BF030641-9069-101B-AE2D-08002B2EC713", 0},
    {"OLE_XSIZE_CONTAINER", TypeKind::kAlias, "BF030642-9069-101B-AE2D-08002B2EC713", 0},
    {"OLE_YSIZE_CONTAINER", TypeKind::kAlias, "BF030643-9069-101B-AE2D-08002B2EC713", 0},
    {"OLE_HANDLE", TypeKind::kAlias, "66504313-BE0F-101A-8BBB-00AA00300CAB", 0},
    {"OLE_OPTEXCLUSIVE", TypeKind::kAlias, "6650430B-BE0F-101A-8BBB-00AA00300CAB", 0},
    {"OLE_CANCELBOOL", TypeKind::kAlias, "BF030644-9069-101B-AE2D-08002B2EC713", 0},
    {"OLE_ENABLEDEFAULTBOOL", TypeKind::kAlias, "BF030645-9069-101B-AE2D-08002B2EC713", 0},
    {"OLE_TRISTATE", TypeKind::kEnum, "6650430A-BE0F-101A-8BBB-00AA00300CAB", 0},
    {"FONTNAME", TypeKind::kAlias, "6650430D-BE0F-101A-8BBB-00AA00300CAB", 0},
    {"FONTSIZE", TypeKind::kAlias, "6650430E-BE0F-101A-8BBB-00AA00300CAB", 0},
    {"FONTBOLD", TypeKind::kAlias, "6650430F-BE0F-101A-8BBB-00AA00300CAB", 0},
    {"FONTITALIC", TypeKind::kAlias, "66504310-BE0F-101A-8BBB-00AA00300CAB", 0},
    {"FONTUNDERSCORE", TypeKind::kAlias, "66504311-BE0F-101A-8BBB-00AA00300CAB", 0},
    {"FONTSTRIKETHROUGH", TypeKind::kAlias, "66504312-BE0F-101A-8BBB-00AA00300CAB", 0},
    {"IFont", TypeKind::kInterface, "BEF6E002-A874-101A-8BBA-00AA00300CAB", 25},
    {"Font", TypeKind::kDispatch, "BEF6E003-A874-101A-8BBA-00AA00300CAB", 0},
    {"IFontDisp", TypeKind::kAlias, "", 0},
    {"StdFont", TypeKind::kCoClass, "0BE35203-8F91-11CE-9DE3-00AA004BB851", 0},
    {"IPicture", TypeKind::kInterface, "7BF80980-BF32-101A-8BBB-00AA00300CAB", 18},
    {"Picture", TypeKind::kDispatch, "7BF80981-BF32-101A-8BBB-00AA00300CAB", 0},
    {"IPictureDisp", TypeKind::kAlias, "", 0},
    {"StdPicture", TypeKind::kCoClass, "0BE35204-8F91-11CE-9DE3-00AA004BB851", 0},
    {"LoadPictureConstants", TypeKind::kEnum, "E6C8FA08-BD9F-11D0-985E-00C04FC29993", 0},
    {"StdFunctions", TypeKind::kModule, "91209AC0-60F6-11CF-9C5D-00AA00C1489E", 0},
    {"FontEvents", TypeKind::kDispatch, "4EF6100A-AF88-11D0-9846-00C04FC29993", 0},
    {"IFontEventsDisp", TypeKind::kAlias, "", 0},
};

constexpr const char* kStandardOleGuid = "00020430-0000-0000-C000-000000000046";
constexpr std::uint16_t kStandardOleMajorVersion = 2;
constexpr int kGuidBytes = 16;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "00020430-0000-0000-C000-000000000046" in the byte order of the files:
// the first three groups little-endian, the last two as written.
Guid GuidFromText(const char* text) {
  std::array<std::uint8_t, kGuidBytes> written{};
  int count = 0;
  for (const char* c = text; *c && count < 2 * kGuidBytes; ++c) {
    const int digit = HexDigit(*c);
    if (digit < 0) continue;
    written[static_cast<std::size_t>(count / 2)] =
        static_cast<std::uint8_t>(written[static_cast<std::size_t>(count / 2)] << 4 | digit);
    ++count;
  }
  constexpr std::array<std::size_t, kGuidBytes> kFileOrder = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
  Guid guid{};
  for (std::size_t i = 0; i < guid.size(); ++i) guid[i] = written[kFileOrder[i]];
  return guid;
}

}  // namespace

const Guid& StandardOleGuid() {
  static const Guid guid = GuidFromText(kStandardOleGuid);
  return guid;
}

TypeLibrary StandardOleLibrary(int sysKind) {
  const int pointerSize = sysKind == kSysWin64 ? 8 : 4;
  TypeLibrary library;
  library.attributes.name = "stdole";
  library.attributes.guid = StandardOleGuid();
  library.attributes.majorVersion = kStandardOleMajorVersion;
  library.attributes.sysKind = sysKind;
  for (const auto& known : kStandardOleTypes) {
    TypeInfo type;
    type.name = known.name;
    type.kind = known.kind;
    type.guid = GuidFromText(known.guid);
    type.vtableSize = static_cast<std::uint16_t>(known.vtableFunctions * pointerSize);
    library.types.push_back(std::move(type));
  }
  return library;
}

}  // namespace korvane::typelib
