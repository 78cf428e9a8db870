#pragma once
// File-system services of the folder report: the wildcard folder search
// (find-first / find-next / close), file status, volume queries and a plain
// output file. On Linux these are substitutes built on POSIX calls and the
// mount table; paths are UTF-8.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace korvane::platform {

// Attribute bits as Windows reports them.
inline constexpr std::int32_t kAttrReadOnly = 1;
inline constexpr std::int32_t kAttrHidden = 2;
inline constexpr std::int32_t kAttrSystem = 4;
inline constexpr std::int32_t kAttrDirectory = 16;
inline constexpr std::int32_t kAttrArchive = 32;
inline constexpr std::int32_t kAttrNormal = 128;
inline constexpr std::int32_t kAttrReparsePoint = 1024;
// GetFileAttributes' answer for a path that cannot be found.
inline constexpr std::int32_t kInvalidAttributes = -1;

// Drive types (GetDriveType).
inline constexpr std::int32_t kDriveUnknown = 0;
inline constexpr std::int32_t kDriveNoRootDir = 1;
inline constexpr std::int32_t kDriveRemovable = 2;
inline constexpr std::int32_t kDriveFixed = 3;
inline constexpr std::int32_t kDriveRemote = 4;
inline constexpr std::int32_t kDriveCdRom = 5;
inline constexpr std::int32_t kDriveRamDisk = 6;

// One entry of a folder search.
struct FindData {
  std::string name;            // the entry's name, no folder
  std::int32_t attributes = 0; // attribute bits (kAttr...)
};

// Folders opened during a walk of a deep tree, kept so that a search in a
// path far below the walk's start does not resolve the whole path again.
// Optional; everything it holds is released when it is destroyed.
class SearchContext {
 public:
  SearchContext();
  ~SearchContext();
  SearchContext(const SearchContext&) = delete;
  SearchContext& operator=(const SearchContext&) = delete;
  struct Impl;
  Impl& impl() { return *impl_; }

 private:
  std::unique_ptr<Impl> impl_;
};

// A search over the entries of one folder whose names match a pattern, in the
// order the file system keeps them. The pattern is the last component of the
// searched path ("folder/*.dll"); '*' and '?' match as in a Windows search,
// letter case ignored, "*.*" matches every name, and "." and ".." are entries
// like any other. Symbolic links are reported with kAttrReparsePoint and are
// not followed by callers that respect that bit. Closed when destroyed.
class FileSearch {
 public:
  // With kindOnly the attributes carry only what the folder listing itself
  // tells (folder, link, hidden, archive for files), without reading each
  // entry's status; the read-only bit is then never set.
  explicit FileSearch(const std::string& fileSpec, SearchContext* context = nullptr,
                      bool kindOnly = false);
  ~FileSearch();
  FileSearch(const FileSearch&) = delete;
  FileSearch& operator=(const FileSearch&) = delete;

  // False when the search could not start (missing folder, no access, empty pattern).
  bool Valid() const;
  // The next matching entry; false once the search is exhausted.
  bool Next(FindData& entry);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The name matching of FileSearch, on its own.
bool WildcardMatch(std::string_view pattern, std::string_view name);

// What a path names, following symbolic links (any path length). Missing
// also when the path cannot be looked at; Other is a FIFO, device or socket.
enum class FileKind { Missing, Regular, Folder, Other };
FileKind GetFileKind(const std::string& path);

// How paths are spelled on this system. Posix: only '/' separates components
// and an absolute path has the root "/". Windows: '\' and '/' separate, and a
// path may start with a drive ("C:"), a share ("\\server\share") or the
// long-path prefix ("\\?\").
enum class PathStyle { Posix, Windows };
PathStyle NativePathStyle();

// File times are Windows FILETIME values: 100-nanosecond ticks since
// 1 January 1601, UTC. 0 stands for "unknown".
struct FileInformation {
  std::uint64_t creationTime = 0;
  std::uint64_t lastAccessTime = 0;
  std::uint64_t lastWriteTime = 0;
  std::uint32_t volumeSerialNumber = 0;
  std::uint64_t size = 0;
};

// The calls below that open a file for reading (GetFileInformation,
// OpenFileInfo, GetExpandedName) take paths of any length and open regular
// files only: a folder, FIFO, device or socket is a file without properties,
// and is never opened (that could wait, or set a device going).

// Status of a file opened for reading. False, leaving info zero, when it
// cannot be read.
bool GetFileInformation(const std::string& path, FileInformation& info);
// True when the path names a file that can be opened for reading; fixedDisk
// tells whether it lies on a fixed (not removable, not remote) disk.
bool OpenFileInfo(const std::string& path, bool& fixedDisk);
// Attribute bits, or kInvalidAttributes.
std::int32_t GetFileAttributes(const std::string& path);
// Applies the read-only bit to the write permissions; other bits have no
// equivalent and are ignored. False on failure.
bool SetFileAttributes(const std::string& path, std::int32_t attributes);
// Size in bytes of a file; false when it cannot be read.
bool GetFileSize(const std::string& path, std::uint64_t& size);
// The short (8.3) form of an existing path; on Linux the path itself. False
// when the path does not exist.
bool GetShortPathName(const std::string& path, std::string& shortPath);
// The name a compressed file expands to; on Linux the path itself. False when
// the file cannot be opened.
bool GetExpandedName(const std::string& path, std::string& expanded);

struct VolumeInformation {
  std::string volumeName;
  std::uint32_t serialNumber = 0;
  std::uint32_t maximumComponentLength = 0;
  std::uint32_t fileSystemFlags = 0;
  std::string fileSystemName;
};

// The kind of volume holding a root path (kDrive...).
std::int32_t GetDriveType(const std::string& rootPath);
// Facts about the volume holding a root path; false when there is none.
bool GetVolumeInformation(const std::string& rootPath, VolumeInformation& info);

// Why an output-file operation failed. NotAFile: the name is taken by
// something other than a regular file (a FIFO, device or socket).
enum class FileError { None, PathNotFound, AccessDenied, DiskFull, IoError, NotAFile };

// A regular file opened for writing from its start (replacing what was there).
// A new file gets read and write permission for everyone, less the process's
// umask. Opening never waits: a FIFO, device or socket at the name is refused
// (NotAFile) without being written to, and a symbolic link at the name is
// followed only when the user or the owner of its folder made it (else
// AccessDenied), so a link planted in a folder others can write to cannot
// send the output over another file. Each Write goes to the file at once;
// Truncate cuts the file back, for example to the end of the last complete
// piece after a failed write.
class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  FileError Open(const std::string& path);
  FileError Write(std::string_view data);
  FileError Truncate(std::uint64_t size);
  void Close();
  bool IsOpen() const;

 private:
  std::intptr_t handle_ = -1;
};

}  // namespace korvane::platform
