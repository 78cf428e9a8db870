#include "report/clsFile_Tamo.h"

#include "common/CarryOn.h"

namespace korvane {

namespace {

// Runs a property's work; any failure leaves the fallback value.
template <typename T, typename F>
T Guarded(T fallback, F&& work) {
  T value = fallback;
  CarryOn("clsFile_Tamo", [&] { value = work(); });
  return value;
}

bool IsBlank(const std::string& s) { return s.find_first_not_of(' ') == std::string::npos; }

}  // namespace

bool clsFile_Tamo::bFixedDisk() const {
  return Guarded(false, [&] { return GetOpenInfo(sFileName_).fixedDisk; });
}

FileDate clsFile_Tamo::dCreated() const {
  return Guarded(FileTimeToDate(0),
                 [&] { return FileTimeToDate(GetFileInfo(sFileName_).creationTime); });
}

FileDate clsFile_Tamo::dLastAccessed() const {
  return Guarded(FileTimeToDate(0),
                 [&] { return FileTimeToDate(GetFileInfo(sFileName_).lastAccessTime); });
}

std::string clsFile_Tamo::sExpandedName() const {
  return Guarded(std::string(), [&] { return GetExpandedName(sFileName_); });
}

std::string clsFile_Tamo::sShortName() const {
  return Guarded(std::string(), [&] { return GetShortName(sFileName_); });
}

std::int32_t clsFile_Tamo::eAttributes() const {
  return Guarded(std::int32_t{0}, [&] { return GetAttributes(sFileName_); });
}

void clsFile_Tamo::eAttributes(std::int32_t vData) {
  CarryOn("clsFile_Tamo", [&] { platform::SetFileAttributes(sFileName_, vData); });
}

std::int64_t clsFile_Tamo::lSize() const {
  return Guarded(std::int64_t{0}, [&]() -> std::int64_t {
    std::uint64_t size = 0;
    if (platform::GetFileSize(sFileName_, size)) return static_cast<std::int64_t>(size);
    return GetFileLength(sFileName_);
  });
}

FileDate clsFile_Tamo::dLastModified() const {
  return Guarded(FileTimeToDate(0), [&] {
    return FileTimeToDate(GetFileInfo(GetShortName(sFileName_)).lastWriteTime);
  });
}

std::string clsFile_Tamo::sName() const { return GetPathPart(sFileName_, kPartName); }

std::string clsFile_Tamo::sNameAndExtension() const {
  return GetPathPart(sFileName_, kPartName | kPartExtension);
}

std::string clsFile_Tamo::sExtension() const { return GetPathPart(sFileName_, kPartExtension); }

std::string clsFile_Tamo::sPath() const { return GetPathPart(sFileName_, kPartFolder); }

std::string clsFile_Tamo::sDriveLetter() const {
  int n = PathGetDriveNumber(sFileName_);
  if (n < 0 || n > 25) return {};
  return std::string(1, static_cast<char>('A' + n)) + ":";
}

std::string clsFile_Tamo::sPathRoot() const {
  std::string root = GetPathRoot(sFileName_);
  if (!IsBlank(root) && !IsPathSeparator(root.back())) root += PreferredSeparator();
  return root;
}

bool clsFile_Tamo::bNetworkPath() const { return PathIsNetworkPath(sFileName_); }
bool clsFile_Tamo::bUNCServerShare() const { return PathIsUNCServerShare(sFileName_); }
bool clsFile_Tamo::bUNCServer() const { return PathIsUNCServer(sFileName_); }
bool clsFile_Tamo::bUNC() const { return PathIsUNC(sFileName_); }

std::int32_t clsFile_Tamo::eVolumeType() const {
  return Guarded(std::int32_t{0}, [&] { return platform::GetDriveType(sPathRoot()); });
}

std::int32_t clsFile_Tamo::lVolumeSerialNo() const {
  return Guarded(std::int32_t{0}, [&] {
    return static_cast<std::int32_t>(GetFileInfo(sFileName_).volumeSerialNumber);
  });
}

std::string clsFile_Tamo::sVolumeName() const {
  return Guarded(std::string(), [&] { return GetVolumeInfo(sPathRoot()).volumeName; });
}

}  // namespace korvane
