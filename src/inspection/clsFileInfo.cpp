#include "inspection/clsFileInfo.h"

#include <cstdint>
#include <span>
#include <vector>

#include "formats/VersionBlock.h"
#include "platform/VersionInfo.h"

namespace korvane {

namespace {

std::string High(std::uint32_t value) { return std::to_string(value >> 16); }
std::string Low(std::uint32_t value) { return std::to_string(value & 0xFFFF); }

std::string FourPartVersion(std::uint32_t ms, std::uint32_t ls) {
  return High(ms) + "." + Low(ms) + "." + High(ls) + "." + Low(ls);
}

std::string FlagWords(std::uint32_t flags) {
  static constexpr struct {
    std::uint32_t bit;
    const char* word;
  } kFlags[] = {{0x01, "Debug "},   {0x02, "PreRel "}, {0x04, "Patched "},
                {0x08, "Private "}, {0x10, "Info "},   {0x20, "Special "}};
  std::string words;
  for (const auto& flag : kFlags) {
    if (flags & flag.bit) words += flag.word;
  }
  return words;
}

std::string OsName(std::uint32_t os) {
  switch (os) {
    case 0x00010001: return "DOS-Win16";
    case 0x00010004: return "DOS-Win32";
    case 0x00020002: return "OS/2-16 PM-16";
    case 0x00030003: return "OS/2-16 PM-32";
    case 0x00040004: return "NT-Win32";
    default: return "Unknown";
  }
}

constexpr std::uint32_t kTypeDriver = 3;
constexpr std::uint32_t kTypeFont = 4;

std::string TypeName(std::uint32_t type) {
  switch (type) {
    case 1: return "App";
    case 2: return "DLL";
    case kTypeDriver: return "Driver";
    case kTypeFont: return "Font";
    case 5: return "VxD";
    case 7: return "Lib";
    default: return "Unknown";
  }
}

std::string DriverSubtypeName(std::uint32_t subtype) {
  static constexpr const char* kNames[] = {"Unknown",      "Printer drv", "Keyboard drv", "Language drv",
                                           "Display drv",  "Mouse drv",   "Network drv",  "System drv",
                                           "Installable",  "Sound drv",   "Comm drv"};
  return subtype < std::size(kNames) ? kNames[subtype] : "";
}

std::string FontSubtypeName(std::uint32_t subtype) {
  switch (subtype) {
    case 1: return "Raster Font";
    case 2: return "Vector Font";
    case 3: return "TrueType Font";
    default: return "";
  }
}

}  // namespace

void clsFileInfo::SelectFile(const std::string& sFile) {
  *this = clsFileInfo{};

  // The block is read once and every property is answered from it.
  const auto read = platform::GetFileVersionInfo(sFile);
  if (!read) return;
  const std::vector<std::uint8_t>& block = *read;

  const formats::VersionBlock tree(block);
  const formats::VersionStrings strings = tree.Strings();
  auto lookup = [&strings](std::string_view key) { return formats::LookupVersionString(strings, key); };
  CompanyName = lookup("CompanyName");
  FileDescription = lookup("FileDescription");
  InternalName = lookup("InternalName");
  LegalCopyright = lookup("LegalCopyright");
  LegalTrademarks = lookup("LegalTrademarks");
  OriginalFileName = lookup("OriginalFileName");
  ProductName = lookup("ProductName");
  ProductVersion = lookup("ProductVersion");
  Comments = lookup("Comments");

  const auto root = platform::QueryFixedFileInfo(block);
  if (!root) return;
  const auto decoded =
      formats::DecodeFixedFileInfo(std::span<const std::uint8_t>(block).subspan(root->offset, root->length));
  if (!decoded) return;
  const formats::FixedFileInfo& fixed = *decoded;
  StrucVerEx = High(fixed.strucVersion) + "." + Low(fixed.strucVersion);
  FileVerEx = FourPartVersion(fixed.fileVersionMS, fixed.fileVersionLS);
  ProdVerEx = FourPartVersion(fixed.productVersionMS, fixed.productVersionLS);
  FileFlagsEx = FlagWords(fixed.fileFlags);
  FileOSEx = OsName(fixed.fileOS);
  FileTypeEx = TypeName(fixed.fileType);
  if (fixed.fileType == kTypeDriver) {
    FileSubTypeEx = DriverSubtypeName(fixed.fileSubtype);
  } else if (fixed.fileType == kTypeFont) {
    FileSubTypeEx = FontSubtypeName(fixed.fileSubtype);
  }
}

}  // namespace korvane
