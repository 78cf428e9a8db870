#include "report/ReportReaders.h"

#include <new>

#include "platform/JoinableThread.h"

namespace korvane {

namespace {

// Folder listings made ahead but not yet taken by the walk, at most.
constexpr std::size_t kMaxListingsAhead = 4096;
// The writer's own reads: one in this many is watched for a wait.
constexpr std::size_t kReadsPerWatch = 8;

}  // namespace

ReportReaders::ReportReaders(int readers, std::size_t window, Fetch fetch, IsComponent isComponent,
                             BeforeRead beforeRead)
    : maxReaders_(readers > 1 ? static_cast<std::size_t>(readers) : 0),
      window_(window > 0 ? window : 1),
      fetch_(std::move(fetch)),
      isComponent_(std::move(isComponent)),
      beforeRead_(std::move(beforeRead)) {}

ReportReaders::~ReportReaders() {
  Stop();
  for (auto& thread : threads_) thread->Join();
}

bool ReportReaders::HasWork() const {
  const bool folder = !folderQueue_.empty() && listingsReady_ < kMaxListingsAhead;
  const bool ordered = nextToRead_ < taken_ + slots_.size() && nextToRead_ < taken_ + window_;
  return folder || ordered || !earlyQueue_.empty();
}

// A new thread only when every running one is busy, there is something to
// do, and fewer threads run than things wait to be done.
void ReportReaders::StartReaderIfUseful() {
  if (stopped_ || threads_.size() >= allowedReaders_ || idle_ > 0 || !HasWork()) return;
  const std::size_t waiting =
      taken_ + slots_.size() - nextToRead_ + folderQueue_.size() + earlyQueue_.size();
  if (threads_.size() >= waiting) return;
  auto thread = platform::StartJoinableThread([this] { ReaderLoop(); });
  if (thread) threads_.push_back(std::move(thread));
}

void ReportReaders::WakeReader() {
  if (idle_ > 0) {
    work_.notify_one();
  } else {
    StartReaderIfUseful();
  }
}

void ReportReaders::SkipClaimed() {
  while (nextToRead_ < taken_ + slots_.size() && At(nextToRead_).state != State::Queued) ++nextToRead_;
}

void ReportReaders::Add(const std::string& path) {
  std::lock_guard lock(mutex_);
  if (stopped_) return;
  Slot slot{path, State::Queued, {}};
  if (auto found = early_.find(path); found != early_.end()) {
    // The request serves this slot only; the same path added again later
    // gets a slot of its own, read in order.
    const std::shared_ptr<Early> early = std::move(found->second);
    early_.erase(found);
    if (early->state == State::Queued) {
      early->dropped = true;
    } else if (early->state == State::Reading) {
      slot.state = State::Reading;  // its reader fills the slot
      early->slot = taken_ + slots_.size();
    } else {
      slot.state = early->state;
      slot.info = std::move(early->info);
    }
  }
  slots_.push_back(std::move(slot));
  SkipClaimed();
  if (HasWork()) WakeReader();
}

void ReportReaders::WatchWalk() {
  if (allowedReaders_ == maxReaders_ || !walkWaits_.WaitedSinceLast()) return;
  AllowReaders();
}

void ReportReaders::AllowReaders() {
  allowedReaders_ = maxReaders_;
  if (HasWork()) StartReaderIfUseful();
}

bool ReportReaders::ReadPath(std::unique_lock<std::mutex>& lock, const std::string& path,
                             clsFileInfo& info, State& state) {
  lock.unlock();
  if (beforeRead_) beforeRead_(path);
  lock.lock();
  if (stopped_) return false;
  ++read_;
  lock.unlock();
  state = State::Done;
  try {
    fetch_(path, info);
  } catch (const std::bad_alloc&) {
    info = clsFileInfo{};
    state = State::OutOfMemory;  // handed to the writer, which fails the report
  }
  lock.lock();
  return !stopped_;
}

void ReportReaders::Fill(std::size_t index, clsFileInfo& info, State state) {
  Slot& slot = At(index);
  slot.info = std::move(info);
  slot.state = state;
  if (index == taken_) done_.notify_one();
}

bool ReportReaders::ReadSlot(std::unique_lock<std::mutex>& lock, std::size_t index) {
  const std::string path = At(index).path;
  clsFileInfo info;
  State state = State::Done;
  if (!ReadPath(lock, path, info, state)) return false;
  Fill(index, info, state);
  return true;
}

bool ReportReaders::ReadEarly(std::unique_lock<std::mutex>& lock) {
  const std::shared_ptr<Early> early = std::move(earlyQueue_.front());
  earlyQueue_.pop_front();
  if (early->dropped) return true;
  early->state = State::Reading;
  early->slot = kNoSlot;
  clsFileInfo info;
  State state = State::Done;
  if (!ReadPath(lock, early->path, info, state)) return false;
  if (early->slot == kNoSlot) {  // the walk has not got there yet
    early->info = std::move(info);
    early->state = state;
  } else {
    Fill(early->slot, info, state);
  }
  return true;
}

void ReportReaders::ReaderLoop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    ++idle_;
    work_.wait(lock, [&] { return stopped_ || HasWork(); });
    --idle_;
    if (stopped_) return;
    if (!folderQueue_.empty() && listingsReady_ < kMaxListingsAhead) {
      ListFolder(lock);
      if (stopped_) return;
      if (HasWork()) WakeReader();  // the listing may have told of more
    } else if (nextToRead_ < taken_ + slots_.size() && nextToRead_ < taken_ + window_) {
      const std::size_t index = nextToRead_++;
      At(index).state = State::Reading;
      SkipClaimed();
      if (!ReadSlot(lock, index)) return;
    } else if (!ReadEarly(lock)) {
      return;
    }
  }
}

void ReportReaders::Next(clsFileInfo& info) {
  std::unique_lock lock(mutex_);
  info = clsFileInfo{};
  if (slots_.empty()) return;
  // Nobody has claimed the writer's own component yet (no reader threads, or
  // all of them just woke): the writer reads it rather than wait.
  if (slots_.front().state == State::Queued && !stopped_) {
    slots_.front().state = State::Reading;
    SkipClaimed();
    // Only the read counts: between two records the thread also serves the
    // progress window, whose drawing may wait (for its own helper threads).
    // One read in a few is watched, which costs two calls to the system:
    // from a cold disk nearly every read waits.
    const bool watch = allowedReaders_ < maxReaders_ && ownReads_++ % kReadsPerWatch == 0;
    if (watch) walkWaits_.Restart();
    if (!ReadSlot(lock, taken_)) return;
    if (watch && walkWaits_.WaitedSinceRestart()) AllowReaders();
  }
  done_.wait(lock, [&] { return stopped_ || slots_.front().state >= State::Done; });
  if (slots_.front().state < State::Done) return;
  Slot slot = std::move(slots_.front());
  slots_.pop_front();
  ++taken_;
  // The window moved on by one component.
  if (HasWork()) WakeReader();
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

std::size_t ReportReaders::ReadersStarted() const {
  std::lock_guard lock(mutex_);
  return threads_.size();
}

void ReportReaders::QueueFolders(const std::vector<std::string>& folders) {
  for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
    if (folders_.try_emplace(*it).second) folderQueue_.push_front(*it);
  }
}

void ReportReaders::Ahead(const std::vector<std::string>& folders) {
  std::lock_guard lock(mutex_);
  if (stopped_) return;
  WatchWalk();
  // Folders the walk lists itself need no entry while no reader may run.
  if (allowedReaders_ == 0) return;
  QueueFolders(folders);
  if (HasWork()) WakeReader();
}

bool ReportReaders::Take(const std::string& folder, std::vector<platform::FindData>& entries) {
  std::lock_guard lock(mutex_);
  WatchWalk();
  if (allowedReaders_ == 0) return false;
  Folder& f = folders_[folder];
  const Listing was = f.state;
  f.state = Listing::Taken;
  if (was != Listing::Ready) return false;  // the walk lists it itself, without waiting
  entries = std::move(f.entries);
  f.entries = {};
  // Readers held back by the bound on ready listings may go on.
  if (listingsReady_-- == kMaxListingsAhead && HasWork()) WakeReader();
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
  std::vector<std::string> components;
  bool listed = false;
  {
    platform::FileSearch search(folder + "*.*", nullptr, true);
    listed = search.Valid();
    platform::FindData entry;
    while (search.Next(entry)) {
      const bool isFolder = (entry.attributes & platform::kAttrDirectory) != 0;
      const bool link = (entry.attributes & platform::kAttrReparsePoint) != 0;
      if (isFolder && !link && entry.name != "." && entry.name != "..") {
        subfolders.push_back(folder + entry.name + folder.back());
      } else if (!isFolder && isComponent_ && isComponent_(folder + entry.name)) {
        components.push_back(folder + entry.name);
      }
      entries.push_back(std::move(entry));
    }
  }
  lock.lock();
  if (stopped_) return;
  QueueFolders(subfolders);
  Folder& f = folders_[folder];
  if (f.state != Listing::Running) return;  // the walk listed it meanwhile
  if (!listed) {
    // Perhaps only this thread could not (out of file handles, or a path
    // too long without the walk's context): the walk tries itself.
    f.state = Listing::Taken;
    return;
  }
  f.state = Listing::Ready;
  f.entries = std::move(entries);
  ++listingsReady_;
  // Before the walk can take the listing, so that it finds these entries
  // when it adds the components.
  for (std::string& path : components) {
    if (early_.size() >= window_) break;
    auto [at, added] = early_.try_emplace(path);
    if (!added) continue;
    at->second = std::make_shared<Early>();
    at->second->path = std::move(path);
    earlyQueue_.push_back(at->second);
  }
}

}  // namespace korvane
