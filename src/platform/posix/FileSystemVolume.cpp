// Drive types and volume facts on Linux, from the mount table
// (/proc/self/mountinfo): the mount whose device holds the path gives the
// file-system name, the volume name (the mount's source) and the kind of
// drive; the device number stands for the volume serial number.

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

#include <charconv>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace korvane::platform {

namespace {

struct MountEntry {
  unsigned major = 0;
  unsigned minor = 0;
  std::string mountPoint;
  std::string fsType;
  std::string source;
};

// A whole decimal number and nothing else.
bool ParseUnsigned(std::string_view text, unsigned& value) {
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  return error == std::errc() && stop == end && !text.empty();
}

// mountinfo writes blanks, tabs, newlines and backslashes as \ooo.
std::string Unescape(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size()) {
      const char a = s[i + 1], b = s[i + 2], c = s[i + 3];
      if (a >= '0' && a <= '3' && b >= '0' && b <= '7' && c >= '0' && c <= '7') {
        out.push_back(static_cast<char>((a - '0') * 64 + (b - '0') * 8 + (c - '0')));
        i += 3;
        continue;
      }
    }
    out.push_back(s[i]);
  }
  return out;
}

// The first mount of the device or, when no mount names that device (as for
// btrfs subvolumes), the mount whose point is the longest leading part of
// path. False when neither is found.
bool FindMount(dev_t dev, MountEntry& found, const std::string& path = {}) {
  std::ifstream in("/proc/self/mountinfo");
  std::string line;
  const unsigned wantMajor = major(dev);
  const unsigned wantMinor = minor(dev);
  bool haveByPath = false;
  MountEntry byPath;
  auto leads = [&path](const std::string& point) {
    if (path.compare(0, point.size(), point) != 0) return false;
    return point == "/" || path.size() == point.size() || path[point.size()] == '/';
  };
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string id, parent, devText, root, mountPoint;
    if (!(fields >> id >> parent >> devText >> root >> mountPoint)) continue;
    std::size_t colon = devText.find(':');
    if (colon == std::string::npos) continue;
    unsigned maj = 0, min = 0;
    if (!ParseUnsigned(std::string_view(devText).substr(0, colon), maj) ||
        !ParseUnsigned(std::string_view(devText).substr(colon + 1), min)) {
      continue;
    }
    const bool sameDevice = maj == wantMajor && min == wantMinor;
    const std::string point = Unescape(mountPoint);
    const bool onPath = !path.empty() && leads(point) &&
                        (!haveByPath || point.size() >= byPath.mountPoint.size());
    if (!sameDevice && !onPath) continue;
    // Skip the options and the optional fields up to the separator "-".
    std::string word;
    while (fields >> word && word != "-") {
    }
    MountEntry e;
    e.major = maj;
    e.minor = min;
    e.mountPoint = point;
    if (!(fields >> e.fsType)) continue;
    fields >> e.source;
    e.fsType = Unescape(e.fsType);
    e.source = Unescape(e.source);
    if (sameDevice) {
      found = e;
      return true;
    }
    byPath = e;
    haveByPath = true;
  }
  if (haveByPath) found = byPath;
  return haveByPath;
}

std::string RealPath(const std::string& path) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return {};
  std::string out = resolved;
  std::free(resolved);
  return out;
}

bool ReadFlag(const std::string& path) {
  std::ifstream in(path);
  char c = 0;
  return (in >> c) && c == '1';
}

bool IsRemovableBlockDevice(const MountEntry& m) {
  if (m.major == 0) return false;  // not backed by a block device
  std::string base = "/sys/dev/block/" + std::to_string(m.major) + ":" + std::to_string(m.minor);
  // A partition has no flag of its own; its disk one folder up has.
  return ReadFlag(base + "/removable") || ReadFlag(base + "/../removable");
}

std::int32_t Classify(const MountEntry& m) {
  static const std::set<std::string> remote = {
      "nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs", "9p", "ceph", "glusterfs",
      "fuse.sshfs", "sshfs", "fuse.glusterfs", "davfs", "fuse.rclone", "coda", "lustre"};
  static const std::set<std::string> optical = {"iso9660", "udf"};
  static const std::set<std::string> memory = {"tmpfs", "ramfs"};
  if (remote.count(m.fsType) != 0) return kDriveRemote;
  if (optical.count(m.fsType) != 0) return kDriveCdRom;
  if (memory.count(m.fsType) != 0) return kDriveRamDisk;
  if (IsRemovableBlockDevice(m)) return kDriveRemovable;
  return kDriveFixed;
}

}  // namespace

// Shared with the file status calls (FileSystem.cpp).
std::int32_t DriveTypeOfDevice(dev_t dev) {
  MountEntry m;
  if (!FindMount(dev, m)) return kDriveUnknown;
  return Classify(m);
}

std::int32_t GetDriveType(const std::string& rootPath) {
  struct stat st {};
  if (rootPath.empty() || ::stat(rootPath.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    return kDriveNoRootDir;
  }
  MountEntry m;
  if (!FindMount(st.st_dev, m, RealPath(rootPath))) return kDriveUnknown;
  return Classify(m);
}

bool GetVolumeInformation(const std::string& rootPath, VolumeInformation& info) {
  info = VolumeInformation{};
  struct stat st {};
  if (rootPath.empty() || ::stat(rootPath.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  MountEntry m;
  if (!FindMount(st.st_dev, m, RealPath(rootPath))) return false;
  const std::uint64_t d = static_cast<std::uint64_t>(st.st_dev);
  info.serialNumber = static_cast<std::uint32_t>(d ^ (d >> 32));
  info.volumeName = m.source;
  info.fileSystemName = m.fsType;
  // Names keep their letter case and are compared with it.
  constexpr std::uint32_t kCaseSensitiveSearch = 0x1;
  constexpr std::uint32_t kCasePreservedNames = 0x2;
  constexpr std::uint32_t kReadOnlyVolume = 0x80000;
  info.fileSystemFlags = kCaseSensitiveSearch | kCasePreservedNames;
  struct statvfs vfs {};
  if (::statvfs(rootPath.c_str(), &vfs) == 0) {
    info.maximumComponentLength = static_cast<std::uint32_t>(vfs.f_namemax);
    if ((vfs.f_flag & ST_RDONLY) != 0) info.fileSystemFlags |= kReadOnlyVolume;
  }
  return true;
}

}  // namespace korvane::platform
