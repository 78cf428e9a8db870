#include "desktop/FileManagerActions.h"

#include <algorithm>
#include <optional>

#include "desktop/ActionFile.h"
#include "desktop/ThunarActions.h"

namespace korvane::desktop {

namespace {

using formats::Expected;
using platform::UserFileKind;

// The largest action file of Korvane's that is read to check its mark.
constexpr std::size_t kMaxActionFileBytes = 64u << 10;

constexpr const char* kNotOurs = "was not written by Korvane (or cannot be read); left alone";
constexpr const char* kNotAFile =
    "is not a regular file (a symbolic link to nothing, a folder, FIFO, device or socket); left alone";

using Failures = std::vector<ActionFileFailure>;

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

// Adds a failed platform step's reason under path.
void Note(Failures& failed, const std::string& path, const Expected<void>& done) {
  if (!done) failed.push_back({path, done.error().message});
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

// The user's uca.xml as a regular file's text (links followed), or the
// reason it cannot be edited. Absent stays empty.
std::optional<std::string> ReadThunarFile(const std::string& path, UserFileKind kind,
                                          Failures& failed) {
  std::string text;
  if (kind == UserFileKind::Other) {
    failed.push_back({path, kNotAFile});
  } else if (kind == UserFileKind::File &&
             !platform::ReadSmallFile(path, kMaxActionListBytes, text)) {
    failed.push_back({path, "cannot be read, or is too large to edit; left alone"});
  } else {
    return text;
  }
  return std::nullopt;
}

constexpr const char* kNotAList = "is not a well-formed Thunar action list; left alone";

void InstallThunar(const Folders& folders, const std::string& exePath, VerbSet set,
                   Failures& failed) {
  const std::string path = ThunarFile(folders);
  const UserFileKind kind = platform::GetUserFileKind(path);
  std::optional<std::string> text = ReadThunarFile(path, kind, failed);
  if (!text) return;
  const std::string base = kind == UserFileKind::File ? *text : MarkAsMadeByKorvane(ThunarSeed(folders));
  std::optional<std::string> edited = WithThunarActions(base, exePath, set);
  if (!edited) {
    failed.push_back({path, kNotAList});
    return;
  }
  Note(failed, path, platform::ReplaceFile(path, *edited, false));
}

void RemoveThunar(const Folders& folders, Failures& failed) {
  const std::string path = ThunarFile(folders);
  const UserFileKind kind = platform::GetUserFileKind(path);
  // Nothing of Korvane's can be in anything but a regular file.
  if (kind != UserFileKind::File) return;
  std::optional<std::string> text = ReadThunarFile(path, kind, failed);
  if (!text) return;
  std::optional<std::string> edited = WithoutThunarActions(*text);
  if (!edited) {
    failed.push_back({path, kNotAList});
    return;
  }
  // A list Korvane made that is again what it was made from goes, so that
  // Thunar falls back to the system's list as before.
  if (std::optional<std::string> made = WithoutMadeByKorvaneMark(*edited)) {
    if (*made == ThunarSeed(folders)) {
      Note(failed, path, platform::RemoveFile(path));
      return;
    }
    edited = std::move(made);
  }
  if (*edited != *text) Note(failed, path, platform::ReplaceFile(path, *edited, false));
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

// One message naming every file that could not be changed.
Expected<void> AsError(const Failures& failed) {
  if (failed.empty()) return {};
  std::string message = "the file managers' actions could not all be changed:";
  for (const ActionFileFailure& failure : failed) {
    message += " " + failure.path + ": " + failure.reason + ";";
  }
  message.pop_back();
  return formats::Error{formats::ErrorKind::kWriteFailed, message};
}

}  // namespace

std::vector<ActionFileFailure> InstallActions(const Folders& folders, const std::string& exePath,
                                              VerbSet set) {
  Failures failed;
  for (const ActionFile& file : ActionFiles(folders, exePath, set)) {
    // Never replace a file of the same name that someone else wrote, nor
    // anything that is not a file.
    const UserFileKind kind = platform::GetUserFileKind(file.path);
    if (kind == UserFileKind::Other) {
      failed.push_back({file.path, kNotAFile});
    } else if (kind == UserFileKind::File && !OwnedByKorvane(file.path)) {
      failed.push_back({file.path, kNotOurs});
    } else {
      Note(failed, file.path, platform::ReplaceFile(file.path, file.content, file.executable));
    }
  }
  InstallThunar(folders, exePath, set, failed);
  return failed;
}

std::vector<ActionFileFailure> RemoveActions(const Folders& folders) {
  Failures failed;
  for (const ActionFile& file : ActionFiles(folders, std::string(), VerbSet::FilesAndFolders)) {
    if (platform::GetUserFileKind(file.path) == UserFileKind::File && OwnedByKorvane(file.path)) {
      Note(failed, file.path, platform::RemoveFile(file.path));
    }
  }
  RemoveThunar(folders, failed);
  return failed;
}

bool ActionsPresent(const Folders& folders) {
  for (const ActionFile& file : ActionFiles(folders, std::string(), VerbSet::Files)) {
    if (!OwnedByKorvane(file.path)) return false;
    if (file.executable && !platform::IsExecutableFile(file.path)) return false;
  }
  return ThunarPresent(folders);
}

Expected<void> InstallUserActions(const std::string& exePath, VerbSet set) {
  Folders folders;
  if (!platform::GetUserFolders(folders)) return {};
  return AsError(InstallActions(folders, exePath, set));
}

Expected<void> RemoveUserActions() {
  Folders folders;
  if (!platform::GetUserFolders(folders)) return {};
  return AsError(RemoveActions(folders));
}

bool UserActionsPresent() {
  Folders folders;
  return !platform::GetUserFolders(folders) || ActionsPresent(folders);
}

}  // namespace korvane::desktop
