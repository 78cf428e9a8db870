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
//
// No thread starts until the walk or the writer has had to wait for the disk
// (or a share): from the page cache, reads on other threads cost more than
// they save, most of all when other work keeps the processors busy. Until
// then the walk lists every folder and the writer reads every component
// itself, as with one reader.

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
#include "report/WaitWatch.h"

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
  // The threads start once the thread that makes the readers, the one that
  // walks and writes (Add, Next, Ahead, Take), has had to wait for the disk.
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
  // Reader threads started so far.
  std::size_t ReadersStarted() const;

 private:
  static constexpr std::size_t kNoSlot = ~std::size_t{0};
  enum class State { Queued, Reading, Done, OutOfMemory };
  struct Slot {  // a component the walk added
    std::string path;
    State state = State::Queued;
    clsFileInfo info;
  };
  // A component a listing showed, read before the walk adds it. Each is its
  // own request: the walk may add the same path again (a listing can repeat
  // a renamed entry) while the first read of it is still running.
  struct Early {
    std::string path;
    State state = State::Queued;
    clsFileInfo info;
    std::size_t slot = kNoSlot;  // the walk's slot for it, once added while being read
    bool dropped = false;        // added before it was read: read in order instead
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
  // Lets the readers start once the walking thread has had to wait.
  void WatchWalk();
  void AllowReaders();
  // Hands a read to the slot at index and to the writer waiting for it.
  void Fill(std::size_t index, clsFileInfo& info, State state);
  bool ReadSlot(std::unique_lock<std::mutex>& lock, std::size_t index);
  bool ReadEarly(std::unique_lock<std::mutex>& lock);
  // Queues folders not seen before, the first of them to be listed next.
  void QueueFolders(const std::vector<std::string>& folders);
  // Lists the folder at the front of the queue with the lock released.
  void ListFolder(std::unique_lock<std::mutex>& lock);
  Slot& At(std::size_t index) { return slots_[index - taken_]; }

  const std::size_t maxReaders_;
  std::size_t allowedReaders_ = 0;  // maxReaders_ once the walk had to wait
  WaitWatch walkWaits_;             // the thread that walks and writes
  std::size_t ownReads_ = 0;        // reads made in Next while no reader may run
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

  // Early reads the walk has not added yet, by path.
  std::unordered_map<std::string, std::shared_ptr<Early>> early_;
  std::deque<std::shared_ptr<Early>> earlyQueue_;  // to be read, oldest first

  std::unordered_map<std::string, Folder> folders_;  // every folder seen
  std::deque<std::string> folderQueue_;             // front: listed next
  std::size_t listingsReady_ = 0;                   // ready, not taken
};

}  // namespace korvane
