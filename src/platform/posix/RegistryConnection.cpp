// Connecting to the store file, forks, and the transactions every change runs in.

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <utility>

#include "platform/Process.h"
#include "platform/posix/RegistryStore.h"

namespace korvane::platform::posix {

namespace {

constexpr int kBusyTimeoutMs = 20000;
constexpr int kJournalRetryMs = 5;

std::mutex* g_storeMutex = nullptr;
// How deep this thread is inside store calls: above 0 it holds the mutex.
thread_local int t_storeDepth = 0;

// Set in a child after fork(): the connection it inherited is its parent's.
bool g_forkedChild = false;
// No fork may copy the mutex while another thread holds it. (A fork from
// inside a store call, on the thread that holds it, needs no lock.)
void LockBeforeFork() {
  if (t_storeDepth == 0) g_storeMutex->lock();
}
void UnlockInParent() {
  if (t_storeDepth == 0) g_storeMutex->unlock();
}
void UnlockInChild() {
  g_forkedChild = true;
  if (t_storeDepth == 0) g_storeMutex->unlock();
}

}  // namespace

std::string RegistryStoreFile() {
  std::string path = GetEnv("KORVANE_REGISTRY");
  if (!path.empty()) return path;
  std::string data = UserDataDirectory();
  return data.empty() ? std::string() : data + "/registry.db";
}

RegistryStore& RegistryStore::Instance() {
  // Never destroyed, so that code running at exit can still reach the registry;
  // the connection itself is closed at exit (a later call opens it again).
  static RegistryStore* const store = [] {
    auto* created = new RegistryStore();
    std::atexit([] { Instance().Reset(); });
    return created;
  }();
  return *store;
}

RegistryStore::RegistryStore() {
  g_storeMutex = &mutex_;
  pthread_atfork(&LockBeforeFork, &UnlockInParent, &UnlockInChild);
}

RegistryStore::Lock::Lock(RegistryStore& store) : mutex_(store.mutex_) {
  if (t_storeDepth++ == 0) mutex_.lock();
}

RegistryStore::Lock::~Lock() {
  if (--t_storeDepth == 0) mutex_.unlock();
}

void RegistryStore::Disconnect(bool closeFile) {
  if (closeFile) {
    db_.Close();
  } else {
    db_.Abandon();
  }
  path_.clear();
  classesRoot_ = KeyRef{};
  handles_.Clear();
  subKeyCache_ = NameCache{};
  valueCache_ = NameCache{};
}

void RegistryStore::Reset() {
  Lock lock(*this);
  Disconnect(!std::exchange(g_forkedChild, false));
}

std::string RegistryStore::FilePath() {
  Lock lock(*this);
  return Connect() == kErrorSuccess ? path_ : std::string();
}

void RegistryStore::DropInherited() {
  if (std::exchange(g_forkedChild, false)) Disconnect(false);
}

long RegistryStore::Connect() {
  DropInherited();
  // Inside a transaction the file stays the one the transaction began on.
  if (db_.IsOpen() && db_.InTransaction()) return kErrorSuccess;
  std::string wanted = RegistryStoreFile();
  if (db_.IsOpen() && path_ == wanted) return kErrorSuccess;
  if (db_.IsOpen()) Disconnect(true);
  if (wanted.empty()) return kErrorRegistryIoFailed;
  long rc = OpenFile(wanted);
  if (rc != kErrorSuccess) Disconnect(true);
  return rc;
}

long RegistryStore::OpenFile(const std::string& path) {
  std::error_code ec;
  std::filesystem::path parent = std::filesystem::path(path).parent_path();
  if (!parent.empty()) std::filesystem::create_directories(parent, ec);
  // Create the file ourselves so that it is the owner's alone; SQLite gives its
  // journal files the same permissions.
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return kErrorRegistryIoFailed;
  ::close(fd);

  int rc = db_.Open(path, kBusyTimeoutMs);
  if (rc != SQLITE_OK) return RegistryErrorOf(rc);
  path_ = path;
  // Turning a new file to WAL needs a moment alone with it, and SQLite answers
  // busy at once (without its busy wait) when another process opens the same
  // new file at that moment: wait here instead, as long as a writer would.
  for (int waited = 0;; waited += kJournalRetryMs) {
    rc = db_.Exec("PRAGMA journal_mode=WAL");
    if ((rc & 0xFF) != SQLITE_BUSY || waited >= kBusyTimeoutMs) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(kJournalRetryMs));
  }
  if (rc != SQLITE_OK) return RegistryErrorOf(rc);
  rc = db_.Exec("PRAGMA synchronous=NORMAL");
  if (rc != SQLITE_OK) return RegistryErrorOf(rc);
  return InitialiseSchema();
}

long RegistryStore::InWriteTransaction(const std::function<long()>& body) {
  const bool nested = db_.InTransaction();
  long rc = db_.Run(nested ? Sql::Savepoint : Sql::Begin);
  if (rc != kErrorSuccess) return rc;
  rc = body();
  if (rc == kErrorSuccess) rc = db_.Run(nested ? Sql::ReleaseSavepoint : Sql::Commit);
  if (rc != kErrorSuccess) {
    if (nested) {
      // Undone, then dropped: the savepoint must not outlive its change.
      db_.Run(Sql::RollbackToSavepoint);
      db_.Run(Sql::ReleaseSavepoint);
    } else if (db_.InTransaction()) {
      db_.Run(Sql::Rollback);
    }
  }
  // Whatever happened, names cached before may no longer be what is stored.
  ++localWrites_;
  return rc;
}

long RegistryStore::RunAsOneChange(const std::function<long()>& body) {
  Lock lock(*this);
  long rc = Connect();
  return rc == kErrorSuccess ? InWriteTransaction(body) : rc;
}

long RegistryStore::ConnectAndResolve(HKey key, KeyRef* ref) {
  long rc = Connect();
  return rc == kErrorSuccess ? ResolveHandle(key, ref) : rc;
}

// Several reads in one transaction take the file's read lock once, not once
// per statement (each lock is a system call).
RegistryStore::ReadScope::ReadScope(RegistryDatabase& db) : db_(db) {
  began_ = !db_.InTransaction() && db_.Run(Sql::BeginRead) == kErrorSuccess;
}

RegistryStore::ReadScope::~ReadScope() {
  if (began_ && db_.InTransaction()) db_.Run(Sql::Commit);
}

}  // namespace korvane::platform::posix
