#pragma once
// The version resource of one file as sixteen text properties: nine version
// strings and seven fields decoded from the fixed-information block.

#include <string>

namespace korvane {

class clsFileInfo {
 public:
  // Fills all sixteen properties for sFile; every failure leaves the affected
  // properties empty. Never throws.
  void SelectFile(const std::string& sFile);

  std::string CompanyName;
  std::string FileDescription;
  std::string InternalName;
  std::string LegalCopyright;
  std::string LegalTrademarks;
  std::string OriginalFileName;
  std::string ProductName;
  std::string ProductVersion;
  std::string Comments;
  std::string StrucVerEx;
  std::string FileVerEx;
  std::string ProdVerEx;
  std::string FileFlagsEx;
  std::string FileOSEx;
  std::string FileTypeEx;
  std::string FileSubTypeEx;
};

}  // namespace korvane
