#include "wineprefix/FreshPrefix.h"

#include <cstdlib>
#include <filesystem>
#include <string>

namespace korvane::test {

namespace {

std::string Quote(const std::string& s) {
  std::string out = "'";
  for (char c : s) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out.push_back(c);
    }
  }
  return out + "'";
}

struct Prefix {
  std::string dir;
  std::string why;

  Prefix() {
    if (std::system("command -v wineboot >/dev/null 2>&1 && command -v wineserver >/dev/null 2>&1") != 0) {
      why = "Wine is not installed (wineboot, wineserver)";
      return;
    }
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec) /
                                 ("korvane-prefix-" + std::to_string(std::rand()) + "-" +
                                  std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    std::filesystem::create_directories(base, ec);
    dir = base.string();
    if (RunInPrefix(dir, "wineboot -i") != 0 || RunInPrefix(dir, "wineserver -w") != 0 ||
        !std::filesystem::exists(base / "system.reg")) {
      why = "wineboot -i failed in " + dir;
      Remove();
    }
  }
  ~Prefix() { Remove(); }

  void Remove() {
    if (dir.empty()) return;
    RunInPrefix(dir, "wineserver -k; wineserver -w");
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    dir.clear();
  }
};

}  // namespace

int RunInPrefix(const std::string& prefix, const std::string& command) {
  const std::string line = "env WINEPREFIX=" + Quote(prefix) +
                           " WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' DISPLAY= "
                           "WAYLAND_DISPLAY= sh -c " + Quote(command) + " >/dev/null 2>&1";
  return std::system(line.c_str());
}

const std::string& FreshPrefix(std::string* why) {
  static Prefix prefix;
  if (why != nullptr) *why = prefix.why;
  return prefix.dir;
}

}  // namespace korvane::test
