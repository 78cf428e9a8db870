// korvane-cli reg run as a real process against a store file of its own
// (Linux: the store file is what --registry names).

#ifndef _WIN32

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/KeyPath.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using test::NestedKeyPath;

struct CliRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

std::string ShellQuoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) {
    if (c == '\'') {
      q += "'\\''";
    } else {
      q.push_back(c);
    }
  }
  return q + "'";
}

class RegProcess : public ::testing::Test {
 protected:
  CliRun Cli(const std::vector<std::string>& args) { return CliOn(dir_.File("registry.db"), args); }

  // With the store file given; shell is put in front of the command (a
  // limit to set, say).
  CliRun CliOn(const std::string& store, const std::vector<std::string>& args,
               const std::string& shell = "") {
    std::string command =
        shell + ShellQuoted(KORVANE_CLI_PATH) + " --registry " + ShellQuoted(store);
    for (const std::string& a : args) command += " " + ShellQuoted(a);
    const std::string errFile = dir_.File("stderr.txt");
    command += " 2>" + ShellQuoted(errFile);
    CliRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
    int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = test::ReadFile(errFile);
    return run;
  }

  test::TempDir dir_;
};

TEST_F(RegProcess, AddQueryExportDeleteImport) {
  EXPECT_EQ(Cli({"reg", "add", "HKCU\\Software\\Cli Test", "/v", "Name", "/d", "hello world"}).exitCode, 0);
  EXPECT_EQ(Cli({"reg", "add", "HKCU\\Software\\Cli Test", "/v", "N", "/t", "REG_DWORD", "/d", "0x20", "/f"}).exitCode, 0);
  EXPECT_EQ(Cli({"reg", "add", "HKEY_CURRENT_USER\\Software\\Cli Test\\Sub", "/ve", "/d", "x"}).exitCode, 0);

  CliRun q = Cli({"reg", "query", "HKCU\\Software\\Cli Test"});
  EXPECT_EQ(q.exitCode, 0) << q.err;
  EXPECT_EQ(q.out,
            "\nHKEY_CURRENT_USER\\Software\\Cli Test\n"
            "    Name    REG_SZ    hello world\n"
            "    N    REG_DWORD    0x20\n"
            "\n"
            "HKEY_CURRENT_USER\\Software\\Cli Test\\Sub\n");

  const std::string file = dir_.File("export.reg");
  CliRun e = Cli({"reg", "export", "HKCU\\Software\\Cli Test", file});
  ASSERT_EQ(e.exitCode, 0) << e.err;
  EXPECT_EQ(test::ReadFile(file).substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(Cli({"reg", "export", "HKCU\\Software\\Cli Test", file}).exitCode, 1) << "no overwrite without /y";
  EXPECT_EQ(Cli({"reg", "export", "HKCU\\Software\\Cli Test", file, "/y"}).exitCode, 0);

  EXPECT_EQ(Cli({"reg", "delete", "HKCU\\Software\\Cli Test"}).exitCode, 0);
  EXPECT_EQ(Cli({"reg", "query", "HKCU\\Software\\Cli Test"}).exitCode, 1);

  CliRun i = Cli({"reg", "import", file});
  EXPECT_EQ(i.exitCode, 0) << i.err;
  CliRun again = Cli({"reg", "query", "HKCU\\Software\\Cli Test", "/s"});
  EXPECT_EQ(again.exitCode, 0);
  EXPECT_NE(again.out.find("    Name    REG_SZ    hello world\n"), std::string::npos) << again.out;
  EXPECT_NE(again.out.find("HKEY_CURRENT_USER\\Software\\Cli Test\\Sub\n    (Default)    REG_SZ    x\n"),
            std::string::npos)
      << again.out;
}

TEST_F(RegProcess, ExitCodesForMissingThingsAndMistakes) {
  EXPECT_EQ(Cli({"reg", "add", "HKCU\\Software\\T", "/v", "a", "/d", "1"}).exitCode, 0);
  EXPECT_EQ(Cli({"reg", "query", "HKCU\\Software\\T", "/v", "b"}).exitCode, 1);
  EXPECT_EQ(Cli({"reg", "delete", "HKCU\\Software\\T", "/v", "b", "/f"}).exitCode, 1);
  EXPECT_EQ(Cli({"reg", "delete", "HKCU\\Software\\Absent"}).exitCode, 1);
  EXPECT_EQ(Cli({"reg", "delete", "HKCU\\Software\\T", "/va"}).exitCode, 0);
  EXPECT_EQ(Cli({"reg", "query", "HKCU\\Software\\T", "/v", "a"}).exitCode, 1);
  EXPECT_EQ(Cli({"reg", "delete", "HKCU"}).exitCode, 1);

  CliRun usage = Cli({"reg", "add", "HKXX\\Software", "/v", "a"});
  EXPECT_EQ(usage.exitCode, 2);
  EXPECT_NE(usage.err.find("HKXX"), std::string::npos);
  EXPECT_EQ(Cli({"reg", "add", "HKCU\\x", "/v", "a", "/t", "REG_DWORD", "/d", "nope"}).exitCode, 2);
  EXPECT_EQ(Cli({"reg", "frobnicate"}).exitCode, 2);
  EXPECT_EQ(Cli({"reg", "import", dir_.File("absent.reg")}).exitCode, 2);

  const std::string bad = dir_.Write("bad.reg",
                                     "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\New]\n"
                                     "\"x\"=dword:1\n\"y\"=hex:0z\n");
  CliRun malformed = Cli({"reg", "import", bad});
  EXPECT_EQ(malformed.exitCode, 1);
  EXPECT_NE(malformed.err.find("line 5: "), std::string::npos) << malformed.err;
  EXPECT_EQ(Cli({"reg", "query", "HKCU\\Software\\New"}).exitCode, 1) << "nothing of the bad file applied";
}

TEST_F(RegProcess, ARefusedDeleteChangesNothing) {
  ASSERT_EQ(Cli({"reg", "add", "HKCR\\korvane.test\\shell", "/ve", "/d", "x"}).exitCode, 0);
  ASSERT_EQ(Cli({"reg", "add", "HKLM\\Software\\Other", "/v", "a", "/d", "1"}).exitCode, 0);
  const std::string before = Cli({"reg", "query", "HKLM", "/s"}).out;
  ASSERT_NE(before.find("korvane.test"), std::string::npos);

  CliRun deleted = Cli({"reg", "delete", "HKLM\\Software\\Classes", "/f"});
  EXPECT_EQ(deleted.exitCode, 1);
  EXPECT_NE(deleted.err.find("access is denied"), std::string::npos) << deleted.err;
  EXPECT_EQ(Cli({"reg", "query", "HKLM", "/s"}).out, before);

  const std::string file = dir_.Write("protected.reg",
                                      "Windows Registry Editor Version 5.00\r\n\r\n"
                                      "[HKEY_CURRENT_USER\\Software\\Imported]\r\n\r\n"
                                      "[-HKEY_LOCAL_MACHINE\\Software]\r\n");
  CliRun imported = Cli({"reg", "import", file});
  EXPECT_EQ(imported.exitCode, 1);
  EXPECT_NE(imported.err.find("line 5: access is denied"), std::string::npos) << imported.err;
  EXPECT_EQ(Cli({"reg", "query", "HKLM", "/s"}).out, before);
  EXPECT_EQ(Cli({"reg", "query", "HKCU\\Software\\Imported"}).exitCode, 1) << "nothing of the file stays";
}

TEST_F(RegProcess, AStoreThatCannotBeReadIsSaidToBeSo) {
  const std::string junk = dir_.Write("junk.db", std::string(4096, 'x'));
  const std::string blocked = dir_.Write("a-file", "") + "/registry.db";
  for (const std::string& store : {junk, blocked}) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"reg", "query", "HKCU\\Software"},
          std::vector<std::string>{"reg", "delete", "HKCU\\Software\\x"}}) {
      CliRun run = CliOn(store, args);
      EXPECT_EQ(run.exitCode, 1) << store;
      EXPECT_NE(run.err.find("registry store '" + store + "'"), std::string::npos) << run.err;
      EXPECT_EQ(run.err.find("does not exist"), std::string::npos) << run.err;
    }
  }
}

TEST_F(RegProcess, KeysDeeperThanTheRegistryAllowsAreRefusedWithTheReason) {
  CliRun added = Cli({"reg", "add", "HKCU\\" + NestedKeyPath(513)});
  EXPECT_EQ(added.exitCode, 2);
  EXPECT_NE(added.err.find("deeper than 512 levels"), std::string::npos) << added.err;
  EXPECT_EQ(Cli({"reg", "add", "HKCU\\" + NestedKeyPath(512)}).exitCode, 0);
  EXPECT_EQ(Cli({"reg", "query", "HKCU", "/s"}).exitCode, 0);

  const std::string file = dir_.Write("deep.reg", "Windows Registry Editor Version 5.00\r\n\r\n"
                                                  "[HKEY_CURRENT_USER\\Software\\Fine]\r\n\r\n"
                                                  "[HKEY_CURRENT_USER\\Software\\" + NestedKeyPath(600) + "]\r\n");
  CliRun imported = Cli({"reg", "import", file});
  EXPECT_EQ(imported.exitCode, 1);
  EXPECT_NE(imported.err.find("line 5: the key is nested deeper than 512"), std::string::npos) << imported.err;
  EXPECT_EQ(Cli({"reg", "query", "HKCU\\Software\\Fine"}).exitCode, 1);
}

TEST_F(RegProcess, ExportReplacesAFileOnlyOnceTheNewOneIsWhole) {
  // Values enough for an export of more than a megabyte.
  std::string text = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Big]\r\n";
  for (int v = 0; v < 4; ++v) {
    text += "\"v" + std::to_string(v) + "\"=hex:";
    for (int i = 0; i < 100000; ++i) text += i == 0 ? "5a" : ",5a";
    text += "\r\n";
  }
  ASSERT_EQ(Cli({"reg", "import", dir_.Write("big.reg", text)}).exitCode, 0);
  const std::string file = dir_.Write("old.reg", "keep me");
  ASSERT_EQ(::chmod(file.c_str(), 0640), 0);

  // A file size limit makes the write fail part-way, as a full disk would.
  CliRun limited = CliOn(dir_.File("registry.db"), {"reg", "export", "HKCU\\Software\\Big", file, "/y"},
                         "trap '' XFSZ; ulimit -f 512; exec ");
  EXPECT_EQ(limited.exitCode, 1) << limited.err;
  const std::string after = test::ReadFile(file);
  EXPECT_TRUE(after == "keep me") << "the old file was changed: now " << after.size() << " bytes";
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
    EXPECT_EQ(entry.path().filename().string().find("old.reg."), std::string::npos)
        << "left over: " << entry.path();
  }

  ASSERT_EQ(Cli({"reg", "export", "HKCU\\Software\\Big", file, "/y"}).exitCode, 0);
  EXPECT_GT(test::ReadFile(file).size(), 1000000u);
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u) << "the replacement keeps the file's permissions";
}

}  // namespace
}  // namespace korvane

#endif  // _WIN32
