// The registry store shared by several processes: writers running at once
// lose nothing, and a writer killed at any moment leaves a sound file that
// holds every value it had committed.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <limits>
#include <random>

#include "StoreFixture.h"

extern char** environ;

namespace korvane::test {
namespace {

using namespace korvane::platform;

// A writer process whose standard output (one line per committed value) we read.
class Writer {
 public:
  Writer(const std::string& key, const std::string& prefix, long count) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    std::string program = KORVANE_STRESS_WRITER;
    std::string countText = std::to_string(count);
    std::vector<char*> argv = {program.data(), const_cast<char*>(key.c_str()),
                               const_cast<char*>(prefix.c_str()), countText.data(), nullptr};
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
      pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    out_ = fds[0];
  }
  ~Writer() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      Wait();
    }
    if (out_ >= 0) ::close(out_);
  }
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  bool Started() const { return pid_ > 0 && out_ >= 0; }

  // Reads progress until at least `lines` values are reported or the output
  // ends; returns false at the end of the output.
  bool ReadUntil(long lines) {
    char buffer[4096];
    while (reported_ < lines) {
      ssize_t n = ::read(out_, buffer, sizeof buffer);
      if (n <= 0) return false;
      for (ssize_t i = 0; i < n; ++i) {
        if (buffer[i] == '\n') {
          last_ = std::stol(partial_);
          partial_.clear();
          ++reported_;
        } else {
          partial_.push_back(buffer[i]);
        }
      }
    }
    return true;
  }
  void ReadToEnd() { ReadUntil(std::numeric_limits<long>::max()); }
  void Kill() { ::kill(pid_, SIGKILL); }
  // The wait status of the ended process.
  int Wait() {
    int status = 0;
    if (pid_ > 0) ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return status;
  }
  // The number of the last value reported as committed (-1 for none).
  long Last() const { return last_; }
  long Reported() const { return reported_; }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  long reported_ = 0;
  long last_ = -1;
  std::string partial_;
};

std::string IntegrityCheck(const std::string& file) {
  sqlite3* db = nullptr;
  std::string result = "cannot open";
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &s, nullptr) == SQLITE_OK &&
        sqlite3_step(s) == SQLITE_ROW) {
      result = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
    }
    sqlite3_finalize(s);
  }
  sqlite3_close(db);
  return result;
}

// How many of the values prefix0 .. prefix<last> hold their own number.
long CountIntact(const std::string& key, const std::string& prefix, long last) {
  HKey h = 0;
  if (RegOpenKeyEx(kHKeyCurrentUser, "Software\\Stress\\" + key, kKeyQueryValue, &h) != 0) {
    return 0;
  }
  long intact = 0;
  for (long i = 0; i <= last; ++i) {
    std::uint8_t data[4] = {};
    std::uint32_t size = 4;
    std::uint32_t type = 0;
    if (RegQueryValueEx(h, prefix + std::to_string(i), &type, data, &size) == 0 &&
        type == kRegDword && size == 4 &&
        (data[0] | data[1] << 8 | data[2] << 16 | static_cast<std::uint32_t>(data[3]) << 24) ==
            static_cast<std::uint32_t>(i)) {
      ++intact;
    }
  }
  RegCloseKey(h);
  return intact;
}

using RegistryStress = FreshStore;

TEST_F(RegistryStress, TwoProcessesWritingAtOnceLoseNothing) {
  constexpr long kEach = 2000;
  Writer a("Shared", "a", kEach);
  Writer b("Shared", "b", kEach);
  ASSERT_TRUE(a.Started());
  ASSERT_TRUE(b.Started());
  a.ReadToEnd();
  b.ReadToEnd();
  const int statusA = a.Wait();
  const int statusB = b.Wait();
  ASSERT_TRUE(WIFEXITED(statusA) && WEXITSTATUS(statusA) == 0) << statusA;
  ASSERT_TRUE(WIFEXITED(statusB) && WEXITSTATUS(statusB) == 0) << statusB;
  EXPECT_EQ(a.Reported(), kEach);
  EXPECT_EQ(b.Reported(), kEach);

  EXPECT_EQ(CountIntact("Shared", "a", kEach - 1), kEach);
  EXPECT_EQ(CountIntact("Shared", "b", kEach - 1), kEach);
  HKey key = 0;
  ASSERT_EQ(RegOpenKeyEx(kHKeyCurrentUser, "Software\\Stress\\Shared", kKeyQueryValue, &key), 0);
  RegKeyInfo info;
  ASSERT_EQ(RegQueryInfoKey(key, &info), 0);
  EXPECT_EQ(info.values, 2 * kEach);
  EXPECT_EQ(info.subKeys, 2 * kEach / 10);
  RegCloseKey(key);
  EXPECT_EQ(IntegrityCheck(StoreFile()), "ok");
}

TEST_F(RegistryStress, WritersKilledAtRandomMomentsKeepEveryCommittedValue) {
  constexpr int kRounds = 30;
  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  std::uniform_int_distribution<long> linesBeforeKill(0, 300);
  std::uniform_int_distribution<int> extraMicros(0, 3000);

  std::vector<long> lastCommitted;
  for (int round = 0; round < kRounds; ++round) {
    Writer w("Killed", "r" + std::to_string(round) + "_", 1000000);
    ASSERT_TRUE(w.Started());
    // The first round may hit the very creation of the store file.
    const long lines = round == 0 ? 0 : linesBeforeKill(random);
    ASSERT_TRUE(w.ReadUntil(lines)) << "writer ended by itself in round " << round;
    ::usleep(static_cast<useconds_t>(extraMicros(random)));
    w.Kill();
    const int status = w.Wait();
    w.ReadToEnd();
    ASSERT_TRUE(WIFSIGNALED(status)) << "round " << round << " status " << status;
    lastCommitted.push_back(w.Last());
  }

  EXPECT_EQ(IntegrityCheck(StoreFile()), "ok");
  for (int round = 0; round < kRounds; ++round) {
    const std::string prefix = "r" + std::to_string(round) + "_";
    EXPECT_EQ(CountIntact("Killed", prefix, lastCommitted[round]), lastCommitted[round] + 1)
        << "round " << round;
  }
  // The store is still writable afterwards.
  EXPECT_EQ(Put(kHKeyCurrentUser, "Software\\Stress\\After", "v", kRegSz, Bytes("ok")), 0);
  EXPECT_EQ(IntegrityCheck(StoreFile()), "ok");
}

TEST_F(RegistryStress, AForkedChildOpensTheStoreAfreshAndTheParentKeepsItsOwn) {
  ASSERT_EQ(Put(kHKeyCurrentUser, "Software\\Fork", "parent", kRegSz, Bytes("1")), 0);
  HKey parentKey = 0;
  ASSERT_EQ(RegOpenKeyEx(kHKeyCurrentUser, "Software\\Fork", kKeyAllSpecific, &parentKey), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The parent's handles mean nothing here; the store itself works.
    const bool handleGone = RegCloseKey(parentKey) == kErrorInvalidHandle;
    const bool wrote = Put(kHKeyCurrentUser, "Software\\Fork", "child", kRegSz, Bytes("2")) == 0;
    ::_exit(handleGone && wrote ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  std::uint32_t size = 0;
  EXPECT_EQ(RegQueryValueEx(parentKey, "child", nullptr, nullptr, &size), kErrorSuccess);
  EXPECT_EQ(RegSetValueEx(parentKey, "after", kRegNone, nullptr, 0), kErrorSuccess);
  EXPECT_EQ(RegCloseKey(parentKey), kErrorSuccess);
  EXPECT_EQ(IntegrityCheck(StoreFile()), "ok");
}

TEST_F(RegistryStress, ANewWalkSeesWhatAnotherProcessChanged) {
  ASSERT_EQ(Put(kHKeyCurrentUser, "Software\\Stress\\Seen", "mine", kRegSz, Bytes("1")), 0);
  HKey key = 0;
  ASSERT_EQ(RegOpenKeyEx(kHKeyCurrentUser, "Software\\Stress\\Seen", kKeyQueryValue, &key), 0);
  std::string name;
  ASSERT_EQ(RegEnumValue(key, 0, &name, 64), kErrorSuccess);
  EXPECT_EQ(RegEnumValue(key, 1, &name, 64), kErrorNoMoreItems);
  Writer other("Seen", "theirs", 3);
  other.ReadToEnd();
  ASSERT_EQ(other.Wait(), 0);
  ASSERT_EQ(RegEnumValue(key, 0, &name, 64), kErrorSuccess);
  std::vector<std::string> names = {name};
  for (std::uint32_t i = 1; RegEnumValue(key, i, &name, 64) == kErrorSuccess; ++i) {
    names.push_back(name);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"mine", "theirs0", "theirs1", "theirs2"}));
  RegCloseKey(key);
}

TEST_F(RegistryStress, AnImportKilledHalfWayLeavesNothingOfIt) {
#ifndef KORVANE_CLI
  GTEST_SKIP() << "korvane-cli is not part of this build";
#else
  constexpr int kKeys = 40000;
  std::string text = "Windows Registry Editor Version 5.00\r\n";
  for (int i = 0; i < kKeys; ++i) {
    text += "\r\n[HKEY_CURRENT_USER\\Software\\Imported\\k" + std::to_string(i) + "]\r\n\"v\"=\"" +
            std::to_string(i) + "\"\r\n";
  }
  const std::string file = Dir().Write("big.reg", text);
  ASSERT_EQ(Put(kHKeyCurrentUser, "Software\\Before", "v", kRegSz, Bytes("1")), 0);

  std::string program = KORVANE_CLI;
  std::string store = StoreFile();
  std::vector<char*> argv = {program.data(), const_cast<char*>("--registry"), store.data(),
                             const_cast<char*>("reg"), const_cast<char*>("import"),
                             const_cast<char*>(file.c_str()), nullptr};
  pid_t pid = -1;
  ASSERT_EQ(posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ), 0);
  // Half-way: the import has written a good part of its changes to the
  // journal (committed or not), and is still running.
  const std::string journal = store + "-wal";
  struct stat before {};
  const off_t start = ::stat(journal.c_str(), &before) == 0 ? before.st_size : 0;
  bool running = true;
  for (;;) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      running = false;
      break;
    }
    struct stat st {};
    if (::stat(journal.c_str(), &st) == 0 && st.st_size > start + (1 << 20)) break;
    ::usleep(1000);
  }
  ASSERT_TRUE(running) << "the import ended before it could be killed";
  ::kill(pid, SIGKILL);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFSIGNALED(status));

  EXPECT_FALSE(Exists(kHKeyCurrentUser, "Software\\Imported"));
  EXPECT_TRUE(Exists(kHKeyCurrentUser, "Software\\Before"));
  EXPECT_EQ(IntegrityCheck(StoreFile()), "ok");
  EXPECT_EQ(Put(kHKeyCurrentUser, "Software\\After", "v", kRegSz, Bytes("ok")), 0);
#endif
}

}  // namespace
}  // namespace korvane::test
