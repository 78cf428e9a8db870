// The decoding tables, each row on a real fixture made with those field values.

#include <gtest/gtest.h>

#include <string>

#include "inspection/clsFileInfo.h"

namespace korvane {
namespace {

struct Variant {
  const char* name;
  const char* flags;
  const char* os;
  const char* type;
  const char* subtype;
};

// Each fixture variant_<name>.dll carries the flags, OS, type and subtype
// given beside it in tests/version/CMakeLists.txt.
const Variant kVariants[] = {
    {"drv0", "", "DOS-Win16", "Driver", "Unknown"},
    {"drv1", "Debug ", "DOS-Win32", "Driver", "Printer drv"},
    {"drv2", "PreRel ", "OS/2-16 PM-16", "Driver", "Keyboard drv"},
    {"drv3", "Patched ", "OS/2-16 PM-32", "Driver", "Language drv"},
    {"drv4", "Private ", "NT-Win32", "Driver", "Display drv"},
    // NT without its Windows part is not a named combination.
    {"drv5", "Info ", "Unknown", "Driver", "Mouse drv"},
    {"drv6", "Special ", "Unknown", "Driver", "Network drv"},
    {"drv7", "Debug PreRel ", "NT-Win32", "Driver", "System drv"},
    {"drv8", "Debug PreRel Patched Private Info Special ", "NT-Win32", "Driver", "Installable"},
    // A bit outside the table adds nothing.
    {"drv9", "", "NT-Win32", "Driver", "Sound drv"},
    // Every bit set and a mask of 0: the mask is not applied.
    {"drv10", "Debug PreRel Patched Private Info Special ", "NT-Win32", "Driver", "Comm drv"},
    {"drv12", "Debug Patched ", "NT-Win32", "Driver", ""},
    {"font0", "", "NT-Win32", "Font", ""},
    {"font1", "", "NT-Win32", "Font", "Raster Font"},
    {"font2", "", "NT-Win32", "Font", "Vector Font"},
    {"font3", "", "NT-Win32", "Font", "TrueType Font"},
    {"font4", "", "NT-Win32", "Font", ""},
    // Types without a subtype table leave the subtype empty whatever it holds.
    {"type0", "", "NT-Win32", "Unknown", ""},
    {"type1", "", "NT-Win32", "App", ""},
    {"type2", "", "NT-Win32", "DLL", ""},
    {"type5", "", "NT-Win32", "VxD", ""},
    {"type6", "", "NT-Win32", "Unknown", ""},
    {"type7", "", "NT-Win32", "Lib", ""},
};

TEST(VersionTables, EveryRowOnARealFile) {
  clsFileInfo info;  // one object for all: each SelectFile replaces everything
  for (const auto& v : kVariants) {
    SCOPED_TRACE(v.name);
    info.SelectFile(std::string(KORVANE_VERSION_FIXTURES) + "/variant_" + v.name + ".dll");
    EXPECT_EQ(info.FileFlagsEx, v.flags);
    EXPECT_EQ(info.FileOSEx, v.os);
    EXPECT_EQ(info.FileTypeEx, v.type);
    EXPECT_EQ(info.FileSubTypeEx, v.subtype);
    // Halves of 0x8000 and more are unsigned.
    EXPECT_EQ(info.FileVerEx, "1.0.40000.0");
    EXPECT_EQ(info.ProdVerEx, "65535.32768.0.1");
    EXPECT_EQ(info.StrucVerEx, "1.0");
    EXPECT_EQ(info.CompanyName, "Variant");
    EXPECT_EQ(info.Comments, "");
  }
}

}  // namespace
}  // namespace korvane
