// Linux paths as a Wine prefix's programs see them, and back; and the names
// that cannot reach a Windows program as they are.

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <iterator>
#include <string_view>

#include "platform/WineRunner.h"

namespace korvane::platform {

namespace fs = std::filesystem;

namespace {

// Characters Windows refuses in a file name (besides the control characters
// and the backslash, which get their own reasons).
constexpr std::string_view kForbiddenInNames = "<>:\"|/?*";
constexpr char kFirstPrintable = 0x20;
// Names Windows takes for devices, with or without an extension.
constexpr std::array<std::string_view, 4> kDeviceNames = {"CON", "PRN", "AUX", "NUL"};
constexpr std::array<std::string_view, 2> kNumberedDeviceNames = {"COM", "LPT"};

// A path made absolute and free of "." and ".." and links, as far as it exists.
fs::path Canonical(const fs::path& p) {
  std::error_code ec;
  fs::path out = fs::weakly_canonical(fs::absolute(p, ec), ec);
  return ec ? fs::absolute(p, ec).lexically_normal() : out;
}

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

bool IsDeviceName(std::string_view name) {
  // The part before the first dot, trailing blanks dropped, as Windows reads it.
  std::string_view stem = name.substr(0, name.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  const std::string upper = Upper(stem);
  if (std::find(kDeviceNames.begin(), kDeviceNames.end(), upper) != kDeviceNames.end()) return true;
  return upper.size() == 4 && upper[3] >= '1' && upper[3] <= '9' &&
         std::find(kNumberedDeviceNames.begin(), kNumberedDeviceNames.end(), upper.substr(0, 3)) !=
             kNumberedDeviceNames.end();
}

// The drive whose dosdevices link holds target, the longest link first; ""
// when none does. *root is the folder the drive stands for.
std::string DriveHolding(const std::string& prefix, const fs::path& target, fs::path* root) {
  std::error_code ec;
  std::string bestDrive;
  fs::path bestRoot;
  for (fs::directory_iterator it(fs::path(prefix) / "dosdevices", ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() != 2 || name[1] != ':' || !std::isalpha(static_cast<unsigned char>(name[0]))) continue;
    const fs::path linked = Canonical(it->path());
    const auto mismatch = std::mismatch(linked.begin(), linked.end(), target.begin(), target.end());
    if (mismatch.first != linked.end()) continue;
    if (bestDrive.empty() || std::distance(linked.begin(), linked.end()) >
                                 std::distance(bestRoot.begin(), bestRoot.end())) {
      bestDrive = name;
      bestRoot = linked;
    }
  }
  *root = bestRoot;
  return bestDrive;
}

// The entry of dir whose name equals name ignoring letter case, as Wine finds it.
std::string MatchIgnoringCase(const fs::path& dir, const std::string& name) {
  std::error_code ec;
  if (fs::exists(dir / name, ec)) return name;
  const std::string wanted = Upper(name);
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string found = it->path().filename().string();
    if (Upper(found) == wanted) return found;
  }
  return name;
}

}  // namespace

std::string WindowsNameProblem(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return {};
  for (char c : name) {
    if (c == '\\') return "it holds a backslash, which Windows programs read as a folder separator";
    if (static_cast<unsigned char>(c) < kFirstPrintable) return "it holds a control character";
    if (kForbiddenInNames.find(c) != std::string_view::npos) {
      return std::string("it holds '") + c + "', which Windows does not allow in names";
    }
  }
  if (name.back() == '.' || name.back() == ' ') return "it ends in a dot or a blank, which Windows drops";
  if (IsDeviceName(name)) return "Windows takes it for a device name";
  return {};
}

std::string ToWindowsPath(const std::string& prefix, const std::string& linuxPath) {
  const fs::path target = Canonical(linuxPath);
  fs::path root;
  const std::string drive = DriveHolding(prefix, target, &root);
  if (drive.empty()) return {};
  std::string out(1, static_cast<char>(std::toupper(static_cast<unsigned char>(drive[0]))));
  out += ":";
  for (const fs::path& part : target.lexically_relative(root)) {
    if (part == ".") continue;
    out += "\\" + part.string();
  }
  if (out.size() == 2) out += "\\";
  return out;
}

formats::Expected<std::string> WindowsPathForWine(const std::string& prefix, const std::string& linuxPath) {
  const fs::path target = Canonical(linuxPath);
  fs::path root;
  if (DriveHolding(prefix, target, &root).empty()) {
    return formats::Error{formats::ErrorKind::kNotFound,
                          "no drive of the Wine prefix " + prefix + " holds " + target.string() +
                              " (" + prefix + "/dosdevices links no drive letter to it or a folder above it; "
                              "Wine's drive Z: is the root folder /)"};
  }
  for (const fs::path& part : target.lexically_relative(root)) {
    const std::string problem = WindowsNameProblem(part.string());
    if (!problem.empty()) {
      return formats::Error{formats::ErrorKind::kNotFound,
                            target.string() + " cannot be given to Windows programs: in the name '" +
                                part.string() + "', " + problem};
    }
  }
  return ToWindowsPath(prefix, linuxPath);
}

std::string FromWindowsPath(const std::string& prefix, const std::string& path) {
  // The long-path form \\?\C:\... names the same file.
  const std::string windowsPath = path.rfind("\\\\?\\", 0) == 0 ? path.substr(4) : path;
  if (windowsPath.size() < 2 || windowsPath[1] != ':' ||
      !std::isalpha(static_cast<unsigned char>(windowsPath[0]))) {
    return {};
  }
  const std::string drive(1, static_cast<char>(std::tolower(static_cast<unsigned char>(windowsPath[0]))));
  const fs::path link = fs::path(prefix) / "dosdevices" / (drive + ":");
  std::error_code ec;
  if (!fs::exists(link, ec)) return {};
  fs::path out = Canonical(link);
  std::size_t pos = 2;
  while (pos < windowsPath.size()) {
    std::size_t next = windowsPath.find_first_of("\\/", pos);
    if (next == std::string::npos) next = windowsPath.size();
    if (next > pos) out /= MatchIgnoringCase(out, windowsPath.substr(pos, next - pos));
    pos = next + 1;
  }
  return out.string();
}

}  // namespace korvane::platform
