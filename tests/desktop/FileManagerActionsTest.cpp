// The file managers' actions against a test's own XDG folders: what enabling
// writes, that the commands reach the program with the clicked path whole,
// that the user's own actions survive, and that disabling leaves nothing.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "desktop/FileManagerActions.h"
#include "desktop/ThunarActions.h"
#include "support/SpecialFiles.h"
#include "support/TempDir.h"

namespace korvane::desktop {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;

const std::string kExe = "/opt/Korvane Tools/korvane";

class FileManagerActions : public ::testing::Test {
 protected:
  FileManagerActions() {
    folders_.dataHome = dir_.File("data");
    folders_.configHome = dir_.File("config");
    folders_.configDirs = {dir_.File("system")};
  }

  std::string Data(const std::string& name) const { return folders_.dataHome + "/" + name; }
  std::string Uca() const { return folders_.configHome + "/Thunar/uca.xml"; }

  // Every file below the test folder, relative to it.
  std::set<std::string> Files() const {
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir_.path())) {
      if (!entry.is_directory()) files.insert(entry.path().lexically_relative(dir_.path()).string());
    }
    return files;
  }

  // A stand-in for the program that records its arguments, one a line, in a
  // folder whose name needs quoting in every format.
  std::string FakeProgram() const {
    const std::string program =
        dir_.Write("it's `a` $bin/korvane", "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done >> \"$KORVANE_FAKE_LOG\"\n");
    fs::permissions(program, fs::perms::owner_all);
    return program;
  }

  static bool IsExecutable(const std::string& path) {
    return (fs::status(path).permissions() & fs::perms::owner_exec) != fs::perms::none;
  }

  TempDir dir_;
  Folders folders_;
};

std::string Line(const std::string& text, const std::string& key) {
  const std::size_t at = text.find("\n" + key + "=");
  if (at == std::string::npos) return "<missing>";
  const std::size_t start = at + key.size() + 2;
  return text.substr(start, text.find('\n', start) - start);
}

// A word in single quotes for /bin/sh (written here independently of the
// code under test).
std::string SingleQuoted(const std::string& word) {
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// The paths of the files an operation could not change.
std::set<std::string> Paths(const std::vector<ActionFileFailure>& failed) {
  std::set<std::string> paths;
  for (const ActionFileFailure& failure : failed) paths.insert(failure.path);
  return paths;
}

// The permission bits of a file (links followed).
unsigned Mode(const std::string& path) {
  return static_cast<unsigned>(fs::status(path).permissions() & fs::perms::mask);
}

// Sets the process's umask for the object's lifetime.
class ScopedUmask {
 public:
  explicit ScopedUmask(mode_t mask) : old_(::umask(mask)) {}
  ~ScopedUmask() { ::umask(old_); }
  ScopedUmask(const ScopedUmask&) = delete;
  ScopedUmask& operator=(const ScopedUmask&) = delete;

 private:
  mode_t old_;
};

// Runs a command line through /bin/sh as Thunar does; returns the exit status.
int RunShell(const std::string& commandLine, const std::string& log) {
  const std::string command =
      "KORVANE_FAKE_LOG=" + SingleQuoted(log) + " /bin/sh -c " + SingleQuoted(commandLine);
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(FileManagerActions, EnablingWritesEachManagersFilesWithTheVerbCommands) {
  EXPECT_FALSE(ActionsPresent(folders_));
  EXPECT_TRUE(InstallActions(folders_, kExe, VerbSet::FilesAndFolders).empty());
  EXPECT_TRUE(ActionsPresent(folders_));

  const std::string kde = ReadFile(Data("kio/servicemenus/korvane-components.desktop"));
  EXPECT_EQ(Line(kde, "MimeType"),
            "application/x-ms-dos-executable;application/vnd.microsoft.portable-executable;");
  EXPECT_EQ(Line(kde, "Actions"), "korvane-register;korvane-unregister;korvane-open;");
  EXPECT_NE(kde.find("[Desktop Action korvane-register]\nName=Register\nIcon=korvane\n"
                     "Exec=\"/opt/Korvane Tools/korvane\" -r %f\n"),
            std::string::npos) << kde;
  EXPECT_NE(kde.find("Name=UnRegister\nIcon=korvane\nExec=\"/opt/Korvane Tools/korvane\" -u %f\n"),
            std::string::npos);
  EXPECT_NE(kde.find("Name=Korvane\nIcon=korvane\nExec=\"/opt/Korvane Tools/korvane\" %f\n"),
            std::string::npos);
  EXPECT_TRUE(IsExecutable(Data("kio/servicemenus/korvane-components.desktop")));
  const std::string kdeFolder = ReadFile(Data("kio/servicemenus/korvane-folders.desktop"));
  EXPECT_EQ(Line(kdeFolder, "MimeType"), "inode/directory;");
  EXPECT_EQ(Line(kdeFolder, "Name"), "ActiveX Report");
  EXPECT_EQ(Line(kdeFolder, "Exec"), "\"/opt/Korvane Tools/korvane\" -f %f");

  const struct {
    const char* id;
    const char* name;
    const char* exec;
    const char* extensions;
  } nemo[] = {
      {"register", "Register", "'/opt/Korvane Tools/korvane' -r \"%F\"", "dll;exe;ocx;"},
      {"unregister", "UnRegister", "'/opt/Korvane Tools/korvane' -u \"%F\"", "dll;exe;ocx;"},
      {"open", "Korvane", "'/opt/Korvane Tools/korvane' \"%F\"", "dll;exe;ocx;"},
      {"report", "ActiveX Report", "'/opt/Korvane Tools/korvane' -f \"%F\"", "dir;"},
  };
  for (const auto& n : nemo) {
    const std::string action = ReadFile(Data(std::string("nemo/actions/korvane-") + n.id + ".nemo_action"));
    EXPECT_EQ(action.rfind("[Nemo Action]\n", 0), 0u) << n.id;
    EXPECT_EQ(Line(action, "Name"), n.name);
    EXPECT_EQ(Line(action, "Exec"), n.exec);
    EXPECT_EQ(Line(action, "Selection"), "s");
    EXPECT_EQ(Line(action, "Extensions"), n.extensions);
  }

  for (const char* script : {"Register", "UnRegister", "Korvane", "ActiveX Report"}) {
    EXPECT_TRUE(IsExecutable(Data(std::string("nautilus/scripts/") + script))) << script;
  }

  const std::string uca = ReadFile(Uca());
  EXPECT_NE(uca.find("<name>Register</name>\n\t<unique-id>korvane-register</unique-id>\n"
                     "\t<command>'/opt/Korvane Tools/korvane' -r %f</command>"),
            std::string::npos) << uca;
  EXPECT_NE(uca.find("<unique-id>korvane-report</unique-id>\n"
                     "\t<command>'/opt/Korvane Tools/korvane' -f %f</command>"),
            std::string::npos);
  EXPECT_NE(uca.find("<patterns>*.dll;*.DLL;*.Dll;*.exe;*.EXE;*.Exe;*.ocx;*.OCX;*.Ocx</patterns>"),
            std::string::npos);

  EXPECT_TRUE(RemoveActions(folders_).empty());
  EXPECT_FALSE(ActionsPresent(folders_));
  EXPECT_EQ(Files(), std::set<std::string>{}) << "disabling leaves nothing behind";
}

TEST_F(FileManagerActions, TheSwitchSetLeavesOutTheFolderVerbAndStillCountsAsPresent) {
  EXPECT_TRUE(InstallActions(folders_, kExe, VerbSet::Files).empty());
  EXPECT_TRUE(ActionsPresent(folders_));
  const std::set<std::string> files = Files();
  for (const std::string& file : files) {
    EXPECT_EQ(file.find("folders"), std::string::npos) << file;
    EXPECT_EQ(file.find("report"), std::string::npos) << file;
    EXPECT_EQ(file.find("ActiveX Report"), std::string::npos) << file;
  }
  EXPECT_EQ(ReadFile(Uca()).find("korvane-report"), std::string::npos);
  EXPECT_EQ(files.size(), 1u + 3u + 3u + 1u);  // KDE, Nemo, Nautilus, uca.xml

  // One missing piece is enough to count as absent.
  fs::remove(Data("nemo/actions/korvane-open.nemo_action"));
  EXPECT_FALSE(ActionsPresent(folders_));
}

TEST_F(FileManagerActions, CommandsHandTheClickedPathToTheProgramWhole) {
  const std::string program = FakeProgram();
  ASSERT_TRUE(InstallActions(folders_, program, VerbSet::FilesAndFolders).empty());
  const std::string log = dir_.File("args.log");
  const std::string component = dir_.Write("my comps/it's \"x\".DLL", "MZ");
  const std::string folder = dir_.File("my comps");

  // Nautilus: the script gets the name relative to its folder and runs there.
  const std::string scripts = Data("nautilus/scripts/");
  const std::string name = "it's \"x\".DLL";
  auto runScript = [&](const std::string& script, const std::string& argument) {
    return RunShell("cd " + SingleQuoted(folder) + " && " + SingleQuoted(scripts + script) + " " +
                        SingleQuoted(argument),
                    log);
  };
  EXPECT_EQ(runScript("Register", name), 0);
  EXPECT_EQ(runScript("Korvane", name), 0);
  runScript("Register", "notes.txt");  // not a component: nothing runs
  EXPECT_EQ(RunShell("cd '" + dir_.path().string() + "' && '" + scripts + "ActiveX Report' 'my comps'", log), 0);
  EXPECT_EQ(ReadFile(log), "-r\n" + component + "\n" + component + "\n-f\n" + folder + "\n");
  fs::remove(log);

  // Thunar: %f becomes the shell-quoted path, the line runs through /bin/sh.
  const std::string uca = ReadFile(Uca());
  const std::size_t start = uca.find("<command>", uca.find("korvane-unregister")) + 9;
  std::string command = uca.substr(start, uca.find("</command>", start) - start);
  ASSERT_NE(command.find(" -u %f"), std::string::npos) << command;
  command.replace(command.find("%f"), 2, SingleQuoted(component));
  // The file holds XML text: the program path's quote is plain there.
  EXPECT_EQ(RunShell(command, log), 0);
  EXPECT_EQ(ReadFile(log), "-u\n" + component + "\n");
}

TEST_F(FileManagerActions, TheUsersOwnThunarActionsSurviveByteForByte) {
  const std::string own =
      "<?xml encoding=\"UTF-8\" version=\"1.0\"?>\n"
      "<!-- my actions -->\n"
      "<actions>\n"
      "<action>\n\t<icon>terminal</icon>\n\t<name>Open Terminal &amp; Here</name>\n"
      "\t<unique-id>1234-1</unique-id>\n\t<command>exo-open %f</command>\n"
      "\t<patterns>*</patterns>\n\t<directories/>\n</action>\n"
      "</actions>\n";
  dir_.Write("config/Thunar/uca.xml", own);
  ASSERT_TRUE(InstallActions(folders_, kExe, VerbSet::FilesAndFolders).empty());
  const std::string enabled = ReadFile(Uca());
  EXPECT_EQ(enabled.rfind(own.substr(0, own.size() - 11), 0), 0u) << "the user's part comes first, unchanged";
  EXPECT_EQ(*ThunarActionIds(enabled),
            (std::vector<std::string>{"1234-1", "korvane-register", "korvane-unregister",
                                      "korvane-open", "korvane-report"}));
  // Enabling again replaces Korvane's actions instead of adding more.
  ASSERT_TRUE(InstallActions(folders_, "/other/korvane", VerbSet::FilesAndFolders).empty());
  EXPECT_EQ(ThunarActionIds(ReadFile(Uca()))->size(), 5u);
  EXPECT_NE(ReadFile(Uca()).find("/other/korvane -r %f"), std::string::npos);

  ASSERT_TRUE(RemoveActions(folders_).empty());
  EXPECT_EQ(ReadFile(Uca()), own);
}

TEST_F(FileManagerActions, ANewThunarListStartsFromTheSystemsAndGoesWithIt) {
  const std::string system =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE actions [\n  <!ELEMENT actions (action)+>\n]>\n"
      "<actions>\n\n  <action>\n    <patterns>*</patterns>\n    <name>Open Terminal Here</name>\n"
      "    <command>for f in %F; do [ -d \"$f\" ] &amp;&amp; x; done</command>\n"
      "    <directories/>\n  </action>\n\n</actions>\n";
  dir_.Write("system/Thunar/uca.xml", system);
  ASSERT_TRUE(InstallActions(folders_, kExe, VerbSet::FilesAndFolders).empty());
  const std::string enabled = ReadFile(Uca());
  EXPECT_NE(enabled.find("<name>Open Terminal Here</name>"), std::string::npos);
  EXPECT_EQ(ThunarActionIds(enabled)->size(), 5u);
  ASSERT_TRUE(RemoveActions(folders_).empty());
  EXPECT_FALSE(fs::exists(Uca())) << "Thunar reads the system's list again";
  EXPECT_EQ(ReadFile(dir_.File("system/Thunar/uca.xml")), system);
}

TEST_F(FileManagerActions, FilesKorvaneDidNotWriteAreNeitherReplacedNorRemoved) {
  const std::string script = dir_.Write("data/nautilus/scripts/Register", "#!/bin/sh\necho mine\n");
  const std::string broken = dir_.Write("config/Thunar/uca.xml", "<actions><action></actions>");
  // Nothing that is not a regular file is replaced: a link that leads
  // nowhere, a FIFO (which would also make a read wait).
  const std::string dangling = Data("nemo/actions/korvane-open.nemo_action");
  fs::create_directories(fs::path(dangling).parent_path());
  fs::create_symlink(dir_.File("nowhere"), dangling);
  fs::create_directories(Data("kio/servicemenus"));
  const test::ScopedFifo fifo(Data("kio/servicemenus/korvane-components.desktop"));

  const std::vector<ActionFileFailure> failed = InstallActions(folders_, kExe, VerbSet::FilesAndFolders);
  EXPECT_EQ(Paths(failed), (std::set<std::string>{script, broken, dangling, fifo.path()}));
  for (const ActionFileFailure& failure : failed) {
    EXPECT_NE(failure.reason.find("left alone"), std::string::npos) << failure.path << ": " << failure.reason;
  }
  EXPECT_EQ(ReadFile(script), "#!/bin/sh\necho mine\n");
  EXPECT_EQ(ReadFile(broken), "<actions><action></actions>");
  EXPECT_EQ(fs::read_symlink(dangling), dir_.File("nowhere"));
  EXPECT_FALSE(fs::exists(dir_.File("nowhere")));
  EXPECT_TRUE(fs::is_fifo(fifo.path()));
  EXPECT_FALSE(ActionsPresent(folders_));

  EXPECT_EQ(Paths(RemoveActions(folders_)), std::set<std::string>{broken});
  EXPECT_TRUE(fs::is_symlink(dangling));
  EXPECT_TRUE(fs::is_fifo(fifo.path()));
  fs::remove(dangling);
  EXPECT_EQ(Files(), (std::set<std::string>{"data/nautilus/scripts/Register", "config/Thunar/uca.xml",
                                            "data/kio/servicemenus/korvane-components.desktop"}));
}

TEST_F(FileManagerActions, TheUsersThunarListComesBackByteForByte) {
  const std::string system = "<?xml version=\"1.0\"?>\n<actions>\n<action><name>Sys</name></action>\n</actions>\n";
  const struct {
    const char* what;
    std::string own;
  } cases[] = {
      {"an empty element", "<?xml version=\"1.0\"?>\n<actions/>\n"},
      {"an empty element with a blank, no line break", "<actions />"},
      {"an empty pair on one line", "<actions></actions>"},
      {"an empty pair on two lines", "<actions>\n</actions>\n"},
      {"everything on one line",
       "<actions><action><unique-id>1</unique-id><name>Mine</name></action></actions>"},
      {"indented, blanks before the end tag",
       "<actions>\n  <action>\n    <name>Mine</name>\n  </action>  \n  </actions>\n\n"},
      {"CR LF line ends", "<actions>\r\n<action><name>Mine</name></action>\r\n</actions>\r\n"},
      {"the same as the system's list", system},
  };
  dir_.Write("system/Thunar/uca.xml", system);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    dir_.Write("config/Thunar/uca.xml", c.own);
    ASSERT_TRUE(InstallActions(folders_, kExe, VerbSet::Files).empty());
    ASSERT_TRUE(InstallActions(folders_, "/other/korvane", VerbSet::FilesAndFolders).empty());
    const std::optional<std::vector<std::string>> ids = ThunarActionIds(ReadFile(Uca()));
    ASSERT_TRUE(ids.has_value()) << ReadFile(Uca());
    EXPECT_EQ(ids->size() - ThunarActionIds(c.own)->size(), 4u);
    EXPECT_TRUE(ActionsPresent(folders_));
    ASSERT_TRUE(RemoveActions(folders_).empty());
    EXPECT_EQ(ReadFile(Uca()), c.own);
  }
}

TEST_F(FileManagerActions, ReplacementsKeepTheModeAndTheLinkAndNewFilesFollowTheUmask) {
  const ScopedUmask umask(077);
  ASSERT_TRUE(InstallActions(folders_, kExe, VerbSet::Files).empty());
  const std::string nemo = Data("nemo/actions/korvane-register.nemo_action");
  const std::string script = Data("nautilus/scripts/Register");
  EXPECT_EQ(Mode(nemo), 0600u);
  EXPECT_EQ(Mode(script), 0700u);

  // A dotfile manager's link to the user's own list, readable by its owner only.
  const std::string own = "<actions>\n<action><name>Mine</name></action>\n</actions>\n";
  const std::string kept = dir_.Write("dotfiles/uca.xml", own);
  fs::remove(Uca());
  fs::create_symlink("../../dotfiles/uca.xml", Uca());
  const struct {
    std::string path;
    unsigned mode;
  } files[] = {{nemo, 0444}, {script, 0750}, {kept, 0600}};
  for (const auto& file : files) fs::permissions(file.path, static_cast<fs::perms>(file.mode));
  // Only the superuser may give a file to someone else; then the owner stays too.
  constexpr uid_t kOtherUser = 4321;
  const bool superuser = ::geteuid() == 0;
  if (superuser) {
    ASSERT_EQ(::chown(kept.c_str(), kOtherUser, kOtherUser), 0);
  }

  ASSERT_TRUE(InstallActions(folders_, "/other/korvane", VerbSet::FilesAndFolders).empty());
  EXPECT_NE(ReadFile(nemo).find("/other/korvane"), std::string::npos);
  EXPECT_EQ(fs::read_symlink(Uca()), "../../dotfiles/uca.xml");
  EXPECT_EQ(ThunarActionIds(ReadFile(kept))->size(), 5u);
  for (const auto& file : files) EXPECT_EQ(Mode(file.path), file.mode) << file.path;
  struct stat owner {};
  ASSERT_EQ(::stat(kept.c_str(), &owner), 0);
  if (superuser) {
    EXPECT_EQ(owner.st_uid, kOtherUser);
  }

  ASSERT_TRUE(RemoveActions(folders_).empty());
  EXPECT_EQ(fs::read_symlink(Uca()), "../../dotfiles/uca.xml");
  EXPECT_EQ(ReadFile(kept), own);
  EXPECT_EQ(Mode(kept), 0600u);
  EXPECT_EQ(Files(), (std::set<std::string>{"config/Thunar/uca.xml", "dotfiles/uca.xml"}));
}

}  // namespace
}  // namespace korvane::desktop
