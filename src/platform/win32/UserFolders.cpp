// Windows keeps no freedesktop file-manager folders: the shell verbs there
// are the registry's alone.

#include "platform/UserFiles.h"

namespace korvane::platform {

bool GetUserFolders(UserFolders& folders) {
  folders = UserFolders{};
  return false;
}

}  // namespace korvane::platform
