// The report's readers with a fake file reader: when reader threads start,
// and where a read made ahead of the walk lands. Reads are held at chosen
// points, so that each interleaving is the one the test names.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "TreeHelpers.h"
#include "report/ReportReaders.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using namespace std::chrono_literals;

// Long enough for a reader thread to get anywhere on a busy machine.
constexpr auto kPatience = 10s;
// A sleep of the walking thread stands for a listing or a read that had to
// wait for the disk.
constexpr auto kDiskWait = 2ms;

bool EndsInDll(const std::string& path) {
  return path.size() > 4 && path.compare(path.size() - 4, 4, ".dll") == 0;
}

// Reads that wait at named gates until the test opens them, and the thread
// each path was read on. The fake reader gives a component's path as its
// company name.
class Gates {
 public:
  // The first read of path waits in BeforeRead until Open(path).
  void Hold(const std::string& path) {
    std::lock_guard lock(mutex_);
    held_.insert(path);
  }
  void Open(const std::string& path) {
    std::lock_guard lock(mutex_);
    held_.erase(path);
    changed_.notify_all();
  }
  void OpenAll() {
    std::lock_guard lock(mutex_);
    held_.clear();
    changed_.notify_all();
  }
  // Whether a read of path has begun (within kPatience).
  bool Begun(const std::string& path) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kPatience, [&] { return begun_.count(path) != 0; });
  }

  void BeforeRead(const std::string& path) {
    std::unique_lock lock(mutex_);
    const bool first = begun_.insert(path).second;
    readOn_[path] = std::this_thread::get_id();
    changed_.notify_all();
    if (first) changed_.wait(lock, [&] { return held_.count(path) == 0; });
  }
  static void Fetch(const std::string& path, clsFileInfo& info) { info.CompanyName = path; }
  std::thread::id ReadOn(const std::string& path) {
    std::lock_guard lock(mutex_);
    return readOn_.at(path);
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::set<std::string> held_;
  std::set<std::string> begun_;
  std::map<std::string, std::thread::id> readOn_;
};

// Opens every gate when the test ends, before the readers join their threads.
struct OpenOnExit {
  Gates& gates;
  ~OpenOnExit() { gates.OpenAll(); }
};

std::unique_ptr<ReportReaders> MakeReaders(Gates& gates, int readers) {
  return std::make_unique<ReportReaders>(
      readers, 64, &Gates::Fetch, &EndsInDll,
      [&](const std::string& p) { gates.BeforeRead(p); });
}

// The writer's next record.
std::string NextRecord(ReportReaders& readers) {
  clsFileInfo info;
  readers.Next(info);
  return info.CompanyName;
}

// The writer's next record, or an empty one when none came within kPatience
// (the readers are then stopped). The wait for the watchdog is a wait of the
// calling thread: only for readers already started.
std::string NextRecordWithin(ReportReaders& readers) {
  std::mutex m;
  std::condition_variable cv;
  bool done = false;
  std::thread watchdog([&] {
    std::unique_lock lock(m);
    if (!cv.wait_for(lock, kPatience, [&] { return done; })) readers.Stop();
  });
  clsFileInfo info;
  readers.Next(info);
  {
    std::lock_guard lock(m);
    done = true;
  }
  cv.notify_one();
  watchdog.join();
  return info.CompanyName;
}

// From the page cache, reading on other threads costs more than it saves:
// no reader starts before the walking thread has waited for the disk, and
// with one reader none ever does.
TEST(ReportReaders, ThreadsStartOnlyOnceTheWalkHasWaited) {
  for (const int jobs : {1, 4}) {
    Gates gates;
    auto readers = MakeReaders(gates, jobs);
    std::vector<platform::FindData> entries;
    for (int i = 0; i < 3; ++i) {
      const std::string path = "/fake/warm" + std::to_string(i) + ".dll";
      EXPECT_FALSE(readers->Take("/fake/", entries));
      readers->Ahead({"/fake/sub/"});
      readers->Add(path);
      EXPECT_EQ(NextRecord(*readers), path);
      EXPECT_EQ(gates.ReadOn(path), std::this_thread::get_id()) << jobs;
    }
    EXPECT_EQ(readers->ReadersStarted(), 0u) << jobs;

    std::this_thread::sleep_for(kDiskWait);
    EXPECT_FALSE(readers->Take("/fake/", entries));
    // The next component is read ahead, without the writer asking for it.
    if (jobs > 1) gates.Hold("/fake/cold.dll");
    readers->Add("/fake/cold.dll");
    if (jobs == 1) {
      EXPECT_EQ(readers->ReadersStarted(), 0u);
    } else {
      OpenOnExit open{gates};
      EXPECT_EQ(readers->ReadersStarted(), 1u);
      ASSERT_TRUE(gates.Begun("/fake/cold.dll"));
      gates.OpenAll();
      EXPECT_NE(gates.ReadOn("/fake/cold.dll"), std::this_thread::get_id());
    }
    EXPECT_EQ(NextRecord(*readers), "/fake/cold.dll") << jobs;
    EXPECT_EQ(readers->ComponentsRead(), 4u) << jobs;
  }
}

// A listing shows a.dll and a reader starts reading it before the walk gets
// there. Meanwhile the walk adds p.dll, then a.dll twice (a listing can
// repeat a renamed entry), then z.dll and w.dll. The early read, let go only
// once p.dll's record is read and waiting for the writer, must fill the
// first a.dll record: not p.dll's, before it, nor the second a.dll's, which
// is read in order.
TEST(ReportReaders, EarlyReadFillsTheRecordOfTheWalkThatAddedIt) {
  test::TempDir dir;
  const std::string folder = dir.path().string() + "/";
  test::MakeFile(folder + "a.dll");
  const std::string a = folder + "a.dll";
  const std::string p = "/fake/p.dll";
  const std::string z = "/fake/z.dll";
  const std::string w = "/fake/w.dll";

  Gates gates;
  auto readers = MakeReaders(gates, 2);
  OpenOnExit open{gates};
  for (const std::string& path : {a, z, w}) gates.Hold(path);
  readers->Add(p);
  std::this_thread::sleep_for(kDiskWait);
  readers->Ahead({folder});  // the walk waited: two readers start
  ASSERT_TRUE(gates.Begun(a));  // early, from the listing
  readers->Add(a);
  readers->Add(a);
  readers->Add(z);
  // The only other reader reads p.dll and the second a.dll in order, then
  // z.dll: both records are read by now.
  ASSERT_TRUE(gates.Begun(z));
  readers->Add(w);
  gates.Open(a);
  // The early reader goes on to w.dll after it has stored a.dll's record.
  ASSERT_TRUE(gates.Begun(w));
  gates.OpenAll();

  for (const std::string& expected : {p, a, a, z, w}) {
    ASSERT_EQ(NextRecordWithin(*readers), expected);
  }
  EXPECT_EQ(readers->ComponentsRead(), 5u);
}

}  // namespace
}  // namespace korvane
