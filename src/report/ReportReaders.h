#pragma once
// Readers that fetch the properties of the report's components ahead of the
// writer. Components are added in collection order while the tree is walked;
// the writer takes their properties back in that same order. A few threads
// read in parallel, so a cold disk or a network share sees several requests at
// once, while the writer still handles one record at a time.
//
// The same threads list folders ahead of the walk (each listing tells of more
// folders), and read the components those listings show before the walk gets
// there; the walk then finds their properties ready. What they do, first to
// last: list a folder, read the writer's next unread component, read a
// component found by a listing.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "inspection/clsFileInfo.h"
#include "report/FolderListings.h"

namespace korvane::platform {
class JoinableThread;
}

namespace korvane {

class ReportReaders final : public FolderListings {
 public:
  // Reads one component's properties; must be safe to call from several
  // threads at once.
  using Fetch = std::function<void(const std::string& path, clsFileInfo& info)>;
  // Whether a file a listing shows is a component (its path).
  using IsComponent = std::function<bool(const std::string& path)>;
  // Called on the reading thread just before a component is read (a test
  // hook: it may delay). Stop() during the call still prevents the read.
  using BeforeRead = std::function<void(const std::string& path)>;

  // At most `readers` threads; 1 (or less) starts none: every component is
  // read on the writer's thread, in Next, and no folder is listed ahead. At
  // most `window` components are read and not yet taken by the writer.
  // Threads beyond one per processor start only once a read or a listing
  // has had to wait for the disk: from the page cache more threads would
  // only compete for the processors.
  ReportReaders(int readers, std::size_t window, Fetch fetch, IsComponent isComponent,
                BeforeRead beforeRead = {});
  // Stops and joins every reader.
  ~ReportReaders() override;
  ReportReaders(const ReportReaders&) = delete;
  ReportReaders& operator=(const ReportReaders&) = delete;

  // A component found by the walk, in collection order.
  void Add(const std::string& path);
  // The properties of the next component in collection order, waiting for
  // its reader when needed. Throws std::bad_alloc when its reader ran out of
  // memory.
  void Next(clsFileInfo& info);
  // No read starts after this returns; reads already running finish, and
  // their results are dropped.
  void Stop();

  void Ahead(const std::vector<std::string>& folders) override;
  bool Take(const std::string& folder, std::vector<platform::FindData>& entries) override;

  // Components whose properties were read (by any thread).
  std::size_t ComponentsRead() const;

 private:
  enum class State { Queued, Reading, Done, OutOfMemory };
  struct Slot {  // a component the walk added
    std::string path;
    State state = State::Queued;
    clsFileInfo info;
  };
  struct Early {  // a component a listing showed, read before the walk adds it
    State state = State::Queued;
    clsFileInfo info;
    std::size_t slot;  // its slot once the walk added it while it was read
  };
  enum class Listing { Queued, Running, Ready, Taken };
  struct Folder {
    Listing state = Listing::Queued;
    std::vector<platform::FindData> entries;
  };

  bool HasWork() const;
  void StartReaderIfUseful();
  void WakeReader();
  void ReaderLoop();
  // Moves nextToRead_ past slots that are already read or being read.
  void SkipClaimed();
  // Reads path with the lock released; false when Stop() came first.
  bool ReadPath(std::unique_lock<std::mutex>& lock, const std::string& path, clsFileInfo& info,
                State& state);
  // Lets all readers start when work that began at `start` had to wait.
  void NoteDuration(std::chrono::steady_clock::time_point start);
  bool ReadSlot(std::unique_lock<std::mutex>& lock, std::size_t index);
  bool ReadEarly(std::unique_lock<std::mutex>& lock);
  // Queues folders not seen before, the first of them to be listed next.
  void QueueFolders(const std::vector<std::string>& folders);
  // Lists the folder at the front of the queue with the lock released.
  void ListFolder(std::unique_lock<std::mutex>& lock);
  Slot& At(std::size_t index) { return slots_[index - taken_]; }

  const std::size_t maxReaders_;
  std::size_t allowedReaders_;  // grows to maxReaders_ at the first slow read
  const std::size_t window_;
  Fetch fetch_;
  IsComponent isComponent_;
  BeforeRead beforeRead_;

  mutable std::mutex mutex_;
  std::condition_variable work_;  // readers: something to do, or stop
  std::condition_variable done_;  // writer: the slot it waits for is read
  bool stopped_ = false;
  std::size_t idle_ = 0;  // readers waiting for work
  std::size_t read_ = 0;  // components read
  std::vector<std::unique_ptr<platform::JoinableThread>> threads_;

  std::deque<Slot> slots_;      // from the writer's next slot on
  std::size_t taken_ = 0;       // slots the writer has taken back
  std::size_t nextToRead_ = 0;  // first slot nobody has claimed

  std::unordered_map<std::string, Early> early_;
  std::deque<std::string> earlyQueue_;  // paths of early_ entries to read

  std::unordered_map<std::string, Folder> folders_;  // every folder seen
  std::deque<std::string> folderQueue_;             // front: listed next
  std::size_t listingsReady_ = 0;                   // ready, not taken
};

}  // namespace korvane
