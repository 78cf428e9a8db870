#include "report/ReportReaders.h"

#include <algorithm>
#include <new>

#include "platform/JoinableThread.h"

namespace korvane {

ReportReaders::ReportReaders(int readers, std::size_t window, Fetch fetch, BeforeRead beforeRead)
    : maxReaders_(readers > 1 ? static_cast<std::size_t>(readers) : 0),
      window_(window > 0 ? window : 1),
      fetch_(std::move(fetch)),
      beforeRead_(std::move(beforeRead)) {}

ReportReaders::~ReportReaders() {
  Stop();
  for (auto& thread : threads_) thread->Join();
}

void ReportReaders::Add(const std::string& path) {
  std::lock_guard lock(mutex_);
  if (stopped_) return;
  slots_.push_back(Slot{path, State::Queued, {}});
  StartReaderIfUseful();
  if (idle_ > 0) work_.notify_one();
}

namespace {
// Folder listings made ahead but not yet taken by the walk, at most.
constexpr std::size_t kMaxListingsAhead = 4096;
}  // namespace

bool ReportReaders::HasWork() const {
  const bool component = nextToRead_ < taken_ + slots_.size() && nextToRead_ < taken_ + window_;
  const bool folder = !folderQueue_.empty() && listingsReady_ < kMaxListingsAhead;
  return component || folder;
}

// A new thread only when every running one is busy, there is something to
// read, and fewer threads run than things wait to be read.
void ReportReaders::StartReaderIfUseful() {
  if (threads_.size() >= maxReaders_ || idle_ > 0 || !HasWork()) return;
  const std::size_t waiting = taken_ + slots_.size() - nextToRead_ + folderQueue_.size();
  if (threads_.size() >= waiting) return;
  auto thread = platform::StartJoinableThread([this] { ReaderLoop(); });
  if (thread) threads_.push_back(std::move(thread));
}

void ReportReaders::QueueFolders(const std::vector<std::string>& folders) {
  for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
    if (folders_.try_emplace(*it).second) folderQueue_.push_front(*it);
  }
}

void ReportReaders::Ahead(const std::vector<std::string>& folders) {
  std::lock_guard lock(mutex_);
  if (stopped_ || maxReaders_ == 0) return;
  QueueFolders(folders);
  StartReaderIfUseful();
  if (idle_ > 0) work_.notify_one();
}

bool ReportReaders::Take(const std::string& folder, std::vector<platform::FindData>& entries) {
  std::lock_guard lock(mutex_);
  if (maxReaders_ == 0) return false;
  Folder& f = folders_[folder];
  const Listing was = f.state;
  f.state = Listing::Taken;
  if (was != Listing::Ready) return false;  // the walk lists it itself, without waiting
  --listingsReady_;
  entries = std::move(f.entries);
  f.entries = {};
  return true;
}

void ReportReaders::ListFolder(std::unique_lock<std::mutex>& lock) {
  const std::string folder = std::move(folderQueue_.front());
  folderQueue_.pop_front();
  if (folders_[folder].state != Listing::Queued) return;  // the walk got there first
  folders_[folder].state = Listing::Running;
  lock.unlock();
  std::vector<platform::FindData> entries;
  std::vector<std::string> subfolders;
  {
    platform::FileSearch search(folder + "*.*", nullptr, true);
    platform::FindData entry;
    while (search.Next(entry)) {
      const bool isFolder = (entry.attributes & platform::kAttrDirectory) != 0;
      const bool link = (entry.attributes & platform::kAttrReparsePoint) != 0;
      if (isFolder && !link && entry.name != "." && entry.name != "..") {
        subfolders.push_back(folder + entry.name + folder.back());
      }
      entries.push_back(std::move(entry));
    }
  }
  lock.lock();
  if (stopped_) return;
  QueueFolders(subfolders);
  Folder& f = folders_[folder];
  if (f.state != Listing::Running) return;  // the walk listed it meanwhile
  f.state = Listing::Ready;
  f.entries = std::move(entries);
  ++listingsReady_;
}

bool ReportReaders::Read(std::unique_lock<std::mutex>& lock, std::size_t index) {
  const std::string path = At(index).path;
  lock.unlock();
  if (beforeRead_) beforeRead_(path);
  lock.lock();
  if (stopped_) return false;
  ++read_;
  lock.unlock();
  clsFileInfo info;
  State state = State::Done;
  try {
    fetch_(path, info);
  } catch (const std::bad_alloc&) {
    info = clsFileInfo{};
    state = State::OutOfMemory;  // handed to the writer, which fails the report
  }
  lock.lock();
  if (stopped_) return false;
  Slot& slot = At(index);
  slot.info = std::move(info);
  slot.state = state;
  return true;
}

void ReportReaders::ReaderLoop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    ++idle_;
    work_.wait(lock, [&] { return stopped_ || HasWork(); });
    --idle_;
    if (stopped_) return;
    // Listings first: each one may tell of more work.
    if (!folderQueue_.empty() && listingsReady_ < kMaxListingsAhead) {
      ListFolder(lock);
      if (stopped_) return;
      if (HasWork()) {
        if (idle_ > 0) work_.notify_one();
        StartReaderIfUseful();
      }
      continue;
    }
    const std::size_t index = nextToRead_++;
    At(index).state = State::Reading;
    if (!Read(lock, index)) return;
    if (index == taken_) done_.notify_one();
  }
}

void ReportReaders::Next(clsFileInfo& info) {
  std::unique_lock lock(mutex_);
  if (slots_.empty()) {
    info = clsFileInfo{};
    return;
  }
  // Nobody has claimed the writer's own component yet (no reader threads, or
  // all of them just woke): the writer reads it rather than wait.
  if (nextToRead_ == taken_ && !stopped_) {
    ++nextToRead_;
    At(taken_).state = State::Reading;
    if (!Read(lock, taken_)) {
      info = clsFileInfo{};
      return;
    }
  }
  done_.wait(lock, [&] { return stopped_ || slots_.front().state >= State::Done; });
  Slot slot = std::move(slots_.front());
  slots_.pop_front();
  ++taken_;
  // The window moved on by one component.
  if (idle_ > 0) work_.notify_one();
  StartReaderIfUseful();
  lock.unlock();
  if (slot.state == State::OutOfMemory) throw std::bad_alloc();
  info = std::move(slot.info);
}

void ReportReaders::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopped_ = true;
  }
  work_.notify_all();
  done_.notify_all();
}

std::size_t ReportReaders::ComponentsRead() const {
  std::lock_guard lock(mutex_);
  return read_;
}

std::size_t ReportReaders::Threads() const {
  std::lock_guard lock(mutex_);
  return threads_.size();
}

}  // namespace korvane
