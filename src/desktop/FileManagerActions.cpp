#include "desktop/FileManagerActions.h"

#include <algorithm>
#include <optional>

#include "desktop/ActionFile.h"
#include "desktop/ThunarActions.h"

namespace korvane::desktop {

namespace {

// The largest action file of Korvane's that is read to check its mark.
constexpr std::size_t kMaxActionFileBytes = 64u << 10;

std::vector<ActionFile> ActionFiles(const Folders& folders, const std::string& exePath, VerbSet set) {
  std::vector<ActionFile> files = KdeServiceMenus(folders.dataHome, exePath, set);
  for (auto* builder : {&NemoActions, &NautilusScripts}) {
    std::vector<ActionFile> more = builder(folders.dataHome, exePath, set);
    files.insert(files.end(), more.begin(), more.end());
  }
  return files;
}

bool OwnedByKorvane(const std::string& path) {
  std::string content;
  return platform::ReadSmallFile(path, kMaxActionFileBytes, content) &&
         content.find(kOwnerMark) != std::string::npos;
}

std::string ThunarFile(const Folders& folders) { return folders.configHome + "/Thunar/uca.xml"; }

// What a new uca.xml starts from: the system-wide list Thunar reads while the
// user has none, so that its actions stay; else an empty list.
std::string ThunarSeed(const Folders& folders) {
  for (const std::string& dir : folders.configDirs) {
    std::string text;
    if (platform::ReadSmallFile(dir + "/Thunar/uca.xml", kMaxActionListBytes, text) &&
        ThunarActionIds(text)) {
      return text;
    }
  }
  return EmptyThunarActionList();
}

// The user's uca.xml: its text, "" when there is none, nullopt when it
// exists but cannot be read.
std::optional<std::string> ReadThunarFile(const std::string& path) {
  if (!platform::IsRegularFile(path)) return std::string();
  std::string text;
  if (!platform::ReadSmallFile(path, kMaxActionListBytes, text)) return std::nullopt;
  return text;
}

bool InstallThunar(const Folders& folders, const std::string& exePath, VerbSet set) {
  const std::string path = ThunarFile(folders);
  std::optional<std::string> text = ReadThunarFile(path);
  if (!text) return false;
  const bool existed = platform::IsRegularFile(path);
  std::optional<std::string> edited =
      WithThunarActions(existed ? *text : ThunarSeed(folders), exePath, set);
  return edited && platform::ReplaceFile(path, *edited, false);
}

bool RemoveThunar(const Folders& folders) {
  const std::string path = ThunarFile(folders);
  if (!platform::IsRegularFile(path)) return true;
  std::optional<std::string> text = ReadThunarFile(path);
  if (!text) return false;
  std::optional<std::string> edited = WithoutThunarActions(*text);
  if (!edited) return false;
  if (*edited == *text) return true;
  // A list that is again what it was made from goes, so Thunar falls back to
  // the system's list as before.
  if (*edited == ThunarSeed(folders)) return platform::RemoveFile(path);
  return platform::ReplaceFile(path, *edited, false);
}

bool ThunarPresent(const Folders& folders) {
  std::string text;
  if (!platform::ReadSmallFile(ThunarFile(folders), kMaxActionListBytes, text)) return false;
  std::optional<std::vector<std::string>> ids = ThunarActionIds(text);
  if (!ids) return false;
  return std::all_of(kMenuVerbs.begin(), kMenuVerbs.end(), [&](const MenuVerb& verb) {
    return verb.onFolders ||
           std::find(ids->begin(), ids->end(), ThunarActionId(verb)) != ids->end();
  });
}

}  // namespace

std::vector<std::string> InstallActions(const Folders& folders, const std::string& exePath,
                                        VerbSet set) {
  std::vector<std::string> failed;
  for (const ActionFile& file : ActionFiles(folders, exePath, set)) {
    // Never replace a file of the same name that someone else wrote.
    const bool foreign = platform::IsRegularFile(file.path) && !OwnedByKorvane(file.path);
    if (foreign || !platform::ReplaceFile(file.path, file.content, file.executable)) {
      failed.push_back(file.path);
    }
  }
  if (!InstallThunar(folders, exePath, set)) failed.push_back(ThunarFile(folders));
  return failed;
}

std::vector<std::string> RemoveActions(const Folders& folders) {
  std::vector<std::string> failed;
  for (const ActionFile& file : ActionFiles(folders, std::string(), VerbSet::FilesAndFolders)) {
    if (OwnedByKorvane(file.path) && !platform::RemoveFile(file.path)) failed.push_back(file.path);
  }
  if (!RemoveThunar(folders)) failed.push_back(ThunarFile(folders));
  return failed;
}

bool ActionsPresent(const Folders& folders) {
  for (const ActionFile& file : ActionFiles(folders, std::string(), VerbSet::Files)) {
    if (!OwnedByKorvane(file.path)) return false;
    if (file.executable && !platform::IsExecutableFile(file.path)) return false;
  }
  return ThunarPresent(folders);
}

void InstallUserActions(const std::string& exePath, VerbSet set) {
  Folders folders;
  if (platform::GetUserFolders(folders)) InstallActions(folders, exePath, set);
}

void RemoveUserActions() {
  Folders folders;
  if (platform::GetUserFolders(folders)) RemoveActions(folders);
}

bool UserActionsPresent() {
  Folders folders;
  return !platform::GetUserFolders(folders) || ActionsPresent(folders);
}

}  // namespace korvane::desktop
