#pragma once
// One file, described by its path. Only the path is stored: every other
// property is worked out afresh from the path or the file system when read,
// and no read ever throws (a failure gives the empty value, 0, false, or the
// zero file time 1 January 1601 for the times).

#include <cstdint>
#include <string>

#include "report/basFile_Tamo.h"

namespace korvane {

class clsFile_Tamo {
 public:
  clsFile_Tamo() = default;
  explicit clsFile_Tamo(std::string sFileName) : sFileName_(std::move(sFileName)) {}

  bool bFixedDisk() const;
  FileDate dCreated() const;
  FileDate dLastAccessed() const;
  std::string sExpandedName() const;
  std::string sShortName() const;

  const std::string& sFileName() const { return sFileName_; }
  void sFileName(const std::string& New_sFileName) { sFileName_ = New_sFileName; }

  std::int32_t eAttributes() const;
  // Applies the bits; failure is ignored.
  void eAttributes(std::int32_t vData);

  // Bytes; 64-bit so that files of 2 GiB and more keep their size.
  std::int64_t lSize() const;
  // Last write time, read through the short form of the path.
  FileDate dLastModified() const;

  std::string sName() const;              // last component without extension
  std::string sNameAndExtension() const;  // last component
  std::string sExtension() const;         // extension without its dot
  std::string sPath() const;              // up to and including the last separator
  std::string sDriveLetter() const;       // "C:", or empty
  std::string sPathRoot() const;          // root ending in a separator, or empty

  bool bNetworkPath() const;
  bool bUNCServerShare() const;
  bool bUNCServer() const;
  bool bUNC() const;

  std::int32_t eVolumeType() const;      // platform::kDrive...
  std::int32_t lVolumeSerialNo() const;  // 0 when the file cannot be opened
  std::string sVolumeName() const;

 private:
  std::string sFileName_;
};

}  // namespace korvane
