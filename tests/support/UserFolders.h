#pragma once
// Points the XDG base folders at a test's own folder for the object's
// lifetime, so that the file managers' actions written by the shell verbs
// land there and not in the home of the user running the tests.

#include <string>

#include "support/TempDir.h"

namespace korvane::test {

class ScopedUserFolders {
 public:
  explicit ScopedUserFolders(const std::string& base)
      : data_("XDG_DATA_HOME", base + "/xdg-data"),
        config_("XDG_CONFIG_HOME", base + "/xdg-config"),
        configDirs_("XDG_CONFIG_DIRS", base + "/xdg-system") {}

 private:
  ScopedEnv data_;
  ScopedEnv config_;
  ScopedEnv configDirs_;
};

}  // namespace korvane::test
