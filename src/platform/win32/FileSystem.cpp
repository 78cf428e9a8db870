#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WinApi.h"
// WinApi.h first: the interface below declares functions named like the macros.

#include <algorithm>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/win32/LongPath.h"

namespace korvane::platform {

namespace {

std::uint64_t Join(DWORD high, DWORD low) {
  return (static_cast<std::uint64_t>(high) << 32) | low;
}
std::uint64_t Ticks(const FILETIME& t) { return Join(t.dwHighDateTime, t.dwLowDateTime); }

// A file opened for reading, as the report reads status: any sharing allowed.
// A device name (NUL, CON, COM1, a pipe) is no file with properties.
win32::UniqueFile OpenForReading(const std::string& path) {
  win32::UniqueFile file(::CreateFileW(win32::LongPath(path).c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file && ::GetFileType(file.Get()) != FILE_TYPE_DISK) file.Reset();
  return file;
}

FileError ErrorOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_FILENAME_EXCED_RANGE:
      return FileError::PathNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      return FileError::AccessDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return FileError::DiskFull;
    default:
      return FileError::IoError;
  }
}

// The root of the volume that holds path ("C:\", a mount folder, "\\server\share\").
std::wstring VolumeRootOf(const std::string& path) {
  std::wstring w = win32::LongPath(path);
  std::vector<wchar_t> root(w.size() + MAX_PATH + 1);
  if (!::GetVolumePathNameW(w.c_str(), root.data(), static_cast<DWORD>(root.size()))) return {};
  return root.data();
}

}  // namespace

// Windows opens a path of any length in one call (\\?\ form), so a walk has
// nothing to keep between searches.
struct SearchContext::Impl {};
SearchContext::SearchContext() : impl_(std::make_unique<Impl>()) {}
SearchContext::~SearchContext() = default;

struct FileSearch::Impl {
  win32::UniqueFind find;
  WIN32_FIND_DATAW pending{};
  bool hasPending = false;  // the entry FindFirstFileW returned, not yet handed out
  bool started = false;
};

// The listing of FindFirstFileW/FindNextFileW carries every attribute bit at no
// extra cost, so a kind-only search reports them all too.
FileSearch::FileSearch(const std::string& fileSpec, SearchContext*, bool) : impl_(std::make_unique<Impl>()) {
  std::size_t cut = fileSpec.find_last_of("\\/");
  std::string pattern = cut == std::string::npos ? fileSpec : fileSpec.substr(cut + 1);
  if (pattern.empty()) return;
  impl_->find.Reset(::FindFirstFileW(win32::LongPath(fileSpec).c_str(), &impl_->pending));
  if (impl_->find) {
    impl_->hasPending = true;
    impl_->started = true;
  } else {
    // An existing folder where nothing matches is a search with no entries.
    impl_->started = ::GetLastError() == ERROR_FILE_NOT_FOUND;
  }
}

FileSearch::~FileSearch() = default;

bool FileSearch::Valid() const { return impl_->started; }

bool FileSearch::Next(FindData& entry) {
  if (!impl_->find) return false;
  if (!impl_->hasPending) {
    if (!::FindNextFileW(impl_->find.Get(), &impl_->pending)) {
      impl_->find.Reset();  // exhausted: closed at once
      return false;
    }
  }
  impl_->hasPending = false;
  entry.name = win32::Narrow(impl_->pending.cFileName);
  entry.attributes = static_cast<std::int32_t>(impl_->pending.dwFileAttributes);
  return true;
}

// No FIFOs or sockets live in a Windows folder, and a device name is refused
// where a file is opened for writing (OutputFile).
FileKind GetFileKind(const std::string& path) {
  if (path.empty()) return FileKind::Missing;
  const DWORD a = ::GetFileAttributesW(win32::LongPath(path).c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return FileKind::Missing;
  return (a & FILE_ATTRIBUTE_DIRECTORY) != 0 ? FileKind::Folder : FileKind::Regular;
}

PathStyle NativePathStyle() { return PathStyle::Windows; }

bool GetFileInformation(const std::string& path, FileInformation& info) {
  info = FileInformation{};
  win32::UniqueFile file = OpenForReading(path);
  if (!file) return false;
  BY_HANDLE_FILE_INFORMATION data{};
  if (!::GetFileInformationByHandle(file.Get(), &data)) return false;
  info.creationTime = Ticks(data.ftCreationTime);
  info.lastAccessTime = Ticks(data.ftLastAccessTime);
  info.lastWriteTime = Ticks(data.ftLastWriteTime);
  info.volumeSerialNumber = data.dwVolumeSerialNumber;
  info.size = Join(data.nFileSizeHigh, data.nFileSizeLow);
  return true;
}

bool OpenFileInfo(const std::string& path, bool& fixedDisk) {
  fixedDisk = false;
  if (!OpenForReading(path)) return false;
  std::wstring root = VolumeRootOf(path);
  fixedDisk = !root.empty() && ::GetDriveTypeW(root.c_str()) == DRIVE_FIXED;
  return true;
}

std::int32_t GetFileAttributes(const std::string& path) {
  if (path.empty()) return kInvalidAttributes;
  DWORD a = ::GetFileAttributesW(win32::LongPath(path).c_str());
  return a == INVALID_FILE_ATTRIBUTES ? kInvalidAttributes : static_cast<std::int32_t>(a);
}

bool SetFileAttributes(const std::string& path, std::int32_t attributes) {
  return ::SetFileAttributesW(win32::LongPath(path).c_str(), static_cast<DWORD>(attributes)) != 0;
}

bool GetFileSize(const std::string& path, std::uint64_t& size) {
  size = 0;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(win32::LongPath(path).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return false;
  }
  size = Join(data.nFileSizeHigh, data.nFileSizeLow);
  return true;
}

bool GetShortPathName(const std::string& path, std::string& shortPath) {
  if (path.empty()) return false;
  std::wstring w = win32::Wide(path);
  DWORD needed = ::GetShortPathNameW(w.c_str(), nullptr, 0);
  if (needed == 0) return false;
  std::vector<wchar_t> buffer(needed + 1);
  DWORD n = ::GetShortPathNameW(w.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
  if (n == 0 || n >= buffer.size()) return false;
  shortPath = win32::Narrow(std::wstring_view(buffer.data(), n));
  return true;
}

bool GetExpandedName(const std::string& path, std::string& expanded) {
  std::wstring w = win32::Wide(path);
  // The expanded name can be no longer than the name itself plus the letter
  // that compression replaced.
  std::vector<wchar_t> buffer(std::max<std::size_t>(w.size() + 2, MAX_PATH));
  if (::GetExpandedNameW(w.data(), buffer.data()) != 1) return false;
  expanded = win32::Narrow(buffer.data());
  return true;
}

std::int32_t GetDriveType(const std::string& rootPath) {
  std::wstring w = win32::Wide(rootPath);
  return static_cast<std::int32_t>(::GetDriveTypeW(w.empty() ? nullptr : w.c_str()));
}

bool GetVolumeInformation(const std::string& rootPath, VolumeInformation& info) {
  info = VolumeInformation{};
  wchar_t name[MAX_PATH + 1] = {};
  wchar_t fileSystem[MAX_PATH + 1] = {};
  DWORD serial = 0, maxComponent = 0, flags = 0;
  std::wstring w = win32::Wide(rootPath);
  if (!::GetVolumeInformationW(w.empty() ? nullptr : w.c_str(), name, MAX_PATH + 1, &serial,
                               &maxComponent, &flags, fileSystem, MAX_PATH + 1)) {
    return false;
  }
  info.volumeName = win32::Narrow(name);
  info.serialNumber = serial;
  info.maximumComponentLength = maxComponent;
  info.fileSystemFlags = flags;
  info.fileSystemName = win32::Narrow(fileSystem);
  return true;
}

namespace {
HANDLE AsHandle(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }
}  // namespace

OutputFile::~OutputFile() { Close(); }

FileError OutputFile::Open(const std::string& path) {
  Close();
  win32::UniqueFile file(::CreateFileW(win32::LongPath(path).c_str(), GENERIC_WRITE,
                                       FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return ErrorOf(::GetLastError());
  // A device name (NUL, CON, a pipe) is no file to keep a report in.
  if (::GetFileType(file.Get()) != FILE_TYPE_DISK) return FileError::NotAFile;
  handle_ = reinterpret_cast<std::intptr_t>(file.Release());
  return FileError::None;
}

FileError OutputFile::Write(std::string_view data) {
  if (!IsOpen()) return FileError::IoError;
  while (!data.empty()) {
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(data.size(), 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(AsHandle(handle_), data.data(), chunk, &written, nullptr)) {
      return ErrorOf(::GetLastError());
    }
    if (written == 0) return FileError::DiskFull;
    data.remove_prefix(written);
  }
  return FileError::None;
}

FileError OutputFile::Truncate(std::uint64_t size) {
  if (!IsOpen()) return FileError::IoError;
  LARGE_INTEGER to{};
  to.QuadPart = static_cast<LONGLONG>(size);
  if (!::SetFilePointerEx(AsHandle(handle_), to, nullptr, FILE_BEGIN) ||
      !::SetEndOfFile(AsHandle(handle_))) {
    return ErrorOf(::GetLastError());
  }
  return FileError::None;
}

void OutputFile::Close() {
  if (IsOpen()) ::CloseHandle(AsHandle(handle_));
  handle_ = -1;
}

bool OutputFile::IsOpen() const {
  return handle_ != -1 && AsHandle(handle_) != INVALID_HANDLE_VALUE;
}

}  // namespace korvane::platform
