#include "platform/posix/RegistryStore.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>
#include <utility>

#include "platform/Process.h"
#include "platform/posix/RegistryNames.h"

namespace korvane::platform::posix {

namespace {

// Fixed ids of the three stored roots; HKEY_CLASSES_ROOT is a key below the first.
constexpr std::int64_t kLocalMachineId = 1;
constexpr std::int64_t kCurrentUserId = 2;
constexpr std::int64_t kUsersId = 3;
constexpr int kSchemaVersion = 1;
constexpr int kBusyTimeoutMs = 20000;
constexpr char kClassesPath[] = "Software\\Classes";

enum StatementId {
  kFindChild,
  kInsertKey,
  kKeyAlive,
  kHasChild,
  kDeleteKeyValues,
  kDeleteKeyRow,
  kGetValue,
  kUpsertValue,
  kDeleteValueRow,
  kListKeys,
  kListValues,
  kValueSizes,
  kBegin,
  kCommit,
  kRollback,
  kBeginRead,
  kEndRead,
  kStatementCount
};

// Resets a cached statement when the caller is done with it, so that no read
// transaction stays open behind our back.
class Use {
 public:
  explicit Use(sqlite3_stmt* s) : s_(s) {}
  ~Use() {
    if (s_ != nullptr) {
      sqlite3_reset(s_);
      sqlite3_clear_bindings(s_);
    }
  }
  Use(const Use&) = delete;
  Use& operator=(const Use&) = delete;
  explicit operator bool() const { return s_ != nullptr; }
  sqlite3_stmt* get() const { return s_; }

 private:
  sqlite3_stmt* s_;
};

long ErrorOf(int rc) {
  rc &= 0xFF;
  if (rc == SQLITE_CORRUPT || rc == SQLITE_NOTADB) return kErrorRegistryCorrupt;
  if (rc == SQLITE_NOMEM) return kErrorOutOfMemory;
  if (rc == SQLITE_PERM || rc == SQLITE_READONLY || rc == SQLITE_CANTOPEN) {
    return kErrorAccessDenied;
  }
  return kErrorRegistryIoFailed;
}

void BindText(sqlite3_stmt* s, int index, const std::string& text) {
  sqlite3_bind_text(s, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

std::string ColumnText(sqlite3_stmt* s, int column) {
  const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, column));
  return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(s, column)))
           : std::string();
}

// The file the environment names now.
std::string WantedPath() {
  std::string path = GetEnv("KORVANE_REGISTRY");
  if (!path.empty()) return path;
  std::string data = UserDataDirectory();
  return data.empty() ? std::string() : data + "/registry.db";
}

std::mutex* g_forkMutex = nullptr;
// Set in a child after fork(): the connection it inherited is its parent's.
bool g_forkedChild = false;
void LockBeforeFork() { g_forkMutex->lock(); }
void UnlockInParent() { g_forkMutex->unlock(); }
void UnlockInChild() {
  g_forkedChild = true;
  g_forkMutex->unlock();
}

}  // namespace

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

RegistryStore::RegistryStore() : statements_(kStatementCount, nullptr) {
  // No fork may copy the mutex while another thread holds it.
  g_forkMutex = &mutex_;
  pthread_atfork(&LockBeforeFork, &UnlockInParent, &UnlockInChild);
}

void RegistryStore::Disconnect(bool closeFile) {
  if (closeFile && db_ != nullptr) {
    for (sqlite3_stmt*& s : statements_) {
      sqlite3_finalize(s);
    }
    sqlite3_close_v2(db_);
  }
  // Otherwise (a forked child) the parent's connection is left alone: closing
  // it here could checkpoint or remove the parent's journal.
  std::fill(statements_.begin(), statements_.end(), nullptr);
  db_ = nullptr;
  path_.clear();
  classesRoot_ = 0;
  handles_.clear();
  subKeyCache_ = NameCache{};
  valueCache_ = NameCache{};
}

void RegistryStore::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  Disconnect(!std::exchange(g_forkedChild, false));
}

std::string RegistryStore::FilePath() {
  std::lock_guard<std::mutex> lock(mutex_);
  return Connect() == kErrorSuccess ? path_ : std::string();
}

void RegistryStore::DropInherited() {
  if (std::exchange(g_forkedChild, false)) Disconnect(false);
}

long RegistryStore::Connect() {
  DropInherited();
  std::string wanted = WantedPath();
  if (db_ != nullptr && path_ == wanted) return kErrorSuccess;
  if (db_ != nullptr) Disconnect(true);
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
  if (fd < 0) return errno == EACCES ? kErrorAccessDenied : kErrorRegistryIoFailed;
  ::close(fd);

  int rc = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                           nullptr);
  if (rc != SQLITE_OK) return ErrorOf(rc);
  path_ = path;
  sqlite3_busy_timeout(db_, kBusyTimeoutMs);
  sqlite3_extended_result_codes(db_, 1);
  // Turning a new file to WAL needs a moment alone with it, and SQLite answers
  // busy at once (without its busy wait) when another process opens the same
  // new file at that moment: wait here instead, as long as a writer would.
  constexpr int kRetryMs = 5;
  for (int waited = 0;; waited += kRetryMs) {
    rc = sqlite3_exec(db_, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    if ((rc & 0xFF) != SQLITE_BUSY || waited >= kBusyTimeoutMs) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(kRetryMs));
  }
  if (rc != SQLITE_OK) return ErrorOf(rc);
  rc = sqlite3_exec(db_, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) return ErrorOf(rc);
  return InitialiseSchema();
}

long RegistryStore::InitialiseSchema() {
  // The usual case, a store made earlier, needs no write lock.
  int version = 0;
  {
    sqlite3_stmt* s = nullptr;
    int rc = sqlite3_prepare_v2(db_, "PRAGMA user_version", -1, &s, nullptr);
    if (rc != SQLITE_OK) return ErrorOf(rc);
    rc = sqlite3_step(s);
    if (rc == SQLITE_ROW) version = sqlite3_column_int(s, 0);
    sqlite3_finalize(s);
    if (rc != SQLITE_ROW) return ErrorOf(rc);
  }
  if (version > kSchemaVersion) return kErrorRegistryCorrupt;
  if (version == kSchemaVersion) {
    std::int64_t id = 0;
    if (ResolvePath(kLocalMachineId, kClassesPath, false, &id, nullptr) == kErrorSuccess) {
      classesRoot_ = id;
      return kErrorSuccess;
    }
  }
  return InWriteTransaction([&] { return CreateSchema(); });
}

// Runs inside a write transaction; another process may have done it meanwhile,
// so every step tolerates finding its work done.
long RegistryStore::CreateSchema() {
  static const char* const kSchema =
      "CREATE TABLE IF NOT EXISTS keys("
      " id INTEGER PRIMARY KEY AUTOINCREMENT, parent INTEGER,"
      " name TEXT NOT NULL, fold TEXT NOT NULL);"
      "CREATE UNIQUE INDEX IF NOT EXISTS keys_by_parent ON keys(parent, fold);"
      "CREATE TABLE IF NOT EXISTS vals("
      " id INTEGER PRIMARY KEY AUTOINCREMENT, key INTEGER NOT NULL,"
      " name TEXT NOT NULL, fold TEXT NOT NULL, type INTEGER NOT NULL, data BLOB NOT NULL);"
      "CREATE UNIQUE INDEX IF NOT EXISTS vals_by_key ON vals(key, fold);"
      "INSERT OR IGNORE INTO keys(id, parent, name, fold) VALUES"
      " (1, NULL, 'HKEY_LOCAL_MACHINE', 'HKEY_LOCAL_MACHINE'),"
      " (2, NULL, 'HKEY_CURRENT_USER', 'HKEY_CURRENT_USER'),"
      " (3, NULL, 'HKEY_USERS', 'HKEY_USERS');";
  int version = 0;
  {
    sqlite3_stmt* s = nullptr;
    int rc = sqlite3_prepare_v2(db_, "PRAGMA user_version", -1, &s, nullptr);
    if (rc != SQLITE_OK) return ErrorOf(rc);
    if (sqlite3_step(s) == SQLITE_ROW) version = sqlite3_column_int(s, 0);
    sqlite3_finalize(s);
  }
  int rc = sqlite3_exec(db_, kSchema, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) return ErrorOf(rc);
  long result = ResolvePath(kLocalMachineId, kClassesPath, true, &classesRoot_, nullptr);
  if (result != kErrorSuccess || version == kSchemaVersion) return result;

  // A new store: the class keys a fresh Windows machine has for our needs.
  struct Extension {
    const char* name;
    const char* fileClass;
  };
  for (const Extension& e : {Extension{".dll", "dllfile"}, Extension{".exe", "exefile"},
                             Extension{".ocx", "ocxfile"}}) {
    std::int64_t key = 0;
    result = ResolvePath(classesRoot_, e.name, true, &key, nullptr);
    if (result != kErrorSuccess) return result;
    const std::size_t size = std::strlen(e.fileClass) + 1;
    result = WriteValue(key, "", kRegSz, reinterpret_cast<const std::uint8_t*>(e.fileClass),
                        static_cast<std::uint32_t>(size));
    if (result != kErrorSuccess) return result;
    result = ResolvePath(classesRoot_, e.fileClass, true, &key, nullptr);
    if (result != kErrorSuccess) return result;
  }
  std::int64_t folder = 0;
  result = ResolvePath(classesRoot_, "Folder", true, &folder, nullptr);
  if (result != kErrorSuccess) return result;
  rc = sqlite3_exec(db_, ("PRAGMA user_version=" + std::to_string(kSchemaVersion)).c_str(),
                    nullptr, nullptr, nullptr);
  return rc == SQLITE_OK ? kErrorSuccess : ErrorOf(rc);
}

sqlite3_stmt* RegistryStore::Prepare(int id, const char* sql) {
  sqlite3_stmt*& s = statements_[static_cast<std::size_t>(id)];
  if (s == nullptr && sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) !=
                          SQLITE_OK) {
    s = nullptr;
  }
  return s;
}

long RegistryStore::Exec(int id, const char* sql) {
  Use s(Prepare(id, sql));
  if (!s) return ErrorOf(sqlite3_errcode(db_));
  int rc = sqlite3_step(s.get());
  return (rc == SQLITE_DONE || rc == SQLITE_ROW) ? kErrorSuccess : ErrorOf(rc);
}

long RegistryStore::Begin() {
  // The busy timeout already waits for other writers; a writer that holds the
  // lock longer than that is taken for hung.
  return Exec(kBegin, "BEGIN IMMEDIATE");
}

long RegistryStore::Commit() {
  long rc = Exec(kCommit, "COMMIT");
  if (rc == kErrorSuccess) ++localWrites_;
  return rc;
}

template <typename Body>
long RegistryStore::InWriteTransaction(Body&& body) {
  long rc = Begin();
  if (rc != kErrorSuccess) return rc;
  rc = body();
  if (rc == kErrorSuccess) rc = Commit();
  if (rc != kErrorSuccess) Rollback();
  return rc;
}

long RegistryStore::ConnectAndResolve(HKey key, std::int64_t* keyId) {
  long rc = Connect();
  return rc == kErrorSuccess ? ResolveHandle(key, keyId) : rc;
}

void RegistryStore::Rollback() {
  if (sqlite3_get_autocommit(db_) == 0) Exec(kRollback, "ROLLBACK");
}

// Several reads in one transaction take the file's read lock once, not once
// per statement (each lock is a system call).
RegistryStore::ReadScope::ReadScope(RegistryStore& store) : store_(store) {
  began_ = sqlite3_get_autocommit(store_.db_) != 0 &&
           store_.Exec(kBeginRead, "BEGIN") == kErrorSuccess;
}

RegistryStore::ReadScope::~ReadScope() {
  if (began_ && sqlite3_get_autocommit(store_.db_) == 0) store_.Exec(kEndRead, "COMMIT");
}

bool RegistryStore::KeyAlive(std::int64_t keyId) {
  Use s(Prepare(kKeyAlive, "SELECT 1 FROM keys WHERE id = ?1"));
  if (!s) return false;
  sqlite3_bind_int64(s.get(), 1, keyId);
  return sqlite3_step(s.get()) == SQLITE_ROW;
}

bool RegistryStore::IsProtected(std::int64_t keyId) const {
  return keyId == kLocalMachineId || keyId == kCurrentUserId || keyId == kUsersId ||
         keyId == classesRoot_;
}

long RegistryStore::FindChild(std::int64_t parent, const std::string& fold,
                              std::int64_t* child) {
  Use s(Prepare(kFindChild, "SELECT id FROM keys WHERE parent = ?1 AND fold = ?2"));
  if (!s) return ErrorOf(sqlite3_errcode(db_));
  sqlite3_bind_int64(s.get(), 1, parent);
  BindText(s.get(), 2, fold);
  int rc = sqlite3_step(s.get());
  if (rc == SQLITE_ROW) {
    *child = sqlite3_column_int64(s.get(), 0);
    return kErrorSuccess;
  }
  return rc == SQLITE_DONE ? kErrorFileNotFound : ErrorOf(rc);
}

long RegistryStore::InsertKey(std::int64_t parent, const std::string& name,
                              std::int64_t* child) {
  Use s(Prepare(kInsertKey, "INSERT INTO keys(parent, name, fold) VALUES(?1, ?2, ?3)"));
  if (!s) return ErrorOf(sqlite3_errcode(db_));
  sqlite3_bind_int64(s.get(), 1, parent);
  BindText(s.get(), 2, name);
  BindText(s.get(), 3, FoldName(name));
  int rc = sqlite3_step(s.get());
  if (rc != SQLITE_DONE) return ErrorOf(rc);
  *child = sqlite3_last_insert_rowid(db_);
  return kErrorSuccess;
}

long RegistryStore::ResolvePath(std::int64_t start, const std::string& subKey, bool create,
                                std::int64_t* keyId, bool* created) {
  if (created != nullptr) *created = false;
  std::vector<std::string> names;
  long rc = SplitKeyPath(subKey, &names);
  if (rc != kErrorSuccess) return rc;
  // Nothing may be created below a key another handle or process deleted.
  if ((names.empty() || create) && !KeyAlive(start)) return kErrorKeyDeleted;
  std::int64_t current = start;
  for (std::size_t i = 0; i < names.size(); ++i) {
    std::int64_t child = 0;
    rc = FindChild(current, FoldName(names[i]), &child);
    if (rc == kErrorFileNotFound && create) {
      rc = InsertKey(current, names[i], &child);
      if (rc == kErrorSuccess && created != nullptr) *created = true;
    } else if (rc == kErrorFileNotFound && i == 0 && !KeyAlive(start)) {
      rc = kErrorKeyDeleted;
    }
    if (rc != kErrorSuccess) return rc;
    current = child;
  }
  *keyId = current;
  return kErrorSuccess;
}

long RegistryStore::ResolveHandle(HKey key, std::int64_t* keyId) {
  switch (key) {
    case kHKeyClassesRoot:
      *keyId = classesRoot_;
      return kErrorSuccess;
    case kHKeyLocalMachine:
      *keyId = kLocalMachineId;
      return kErrorSuccess;
    case kHKeyCurrentUser:
      *keyId = kCurrentUserId;
      return kErrorSuccess;
    case kHKeyUsers:
      *keyId = kUsersId;
      return kErrorSuccess;
    default:
      break;
  }
  if (key == 0 || key > handles_.size() || handles_[key - 1] == 0) return kErrorInvalidHandle;
  *keyId = handles_[key - 1];
  return kErrorSuccess;
}

HKey RegistryStore::NewHandle(std::int64_t keyId) {
  for (std::size_t i = 0; i < handles_.size(); ++i) {
    if (handles_[i] == 0) {
      handles_[i] = keyId;
      return static_cast<HKey>(i + 1);
    }
  }
  handles_.push_back(keyId);
  return static_cast<HKey>(handles_.size());
}

long RegistryStore::Open(HKey key, const std::string& subKey, bool create, HKey* result,
                         bool* created) {
  if (result == nullptr) return kErrorInvalidParameter;
  *result = 0;
  if (created != nullptr) *created = false;
  std::lock_guard<std::mutex> lock(mutex_);
  std::int64_t start = 0;
  long rc = ConnectAndResolve(key, &start);
  if (rc != kErrorSuccess) return rc;
  std::int64_t id = 0;
  {
    ReadScope read(*this);
    rc = ResolvePath(start, subKey, false, &id, nullptr);
  }
  // Only a missing key needs the write lock.
  if (rc == kErrorFileNotFound && create) {
    rc = InWriteTransaction([&] { return ResolvePath(start, subKey, true, &id, created); });
    if (rc != kErrorSuccess) {
      if (created != nullptr) *created = false;
      return rc;
    }
  }
  if (rc != kErrorSuccess) return rc;
  *result = NewHandle(id);
  return kErrorSuccess;
}

long RegistryStore::Close(HKey key) {
  std::lock_guard<std::mutex> lock(mutex_);
  DropInherited();
  if (key == kHKeyClassesRoot || key == kHKeyCurrentUser || key == kHKeyLocalMachine ||
      key == kHKeyUsers) {
    return kErrorSuccess;
  }
  if (key == 0 || key > handles_.size() || handles_[key - 1] == 0) return kErrorInvalidHandle;
  handles_[key - 1] = 0;
  for (NameCache* cache : {&subKeyCache_, &valueCache_}) {
    if (cache->handle == key) *cache = NameCache{};
  }
  return kErrorSuccess;
}

long RegistryStore::QueryValue(HKey key, const std::string& name, std::uint32_t* type,
                               std::uint8_t* data, std::uint32_t* size) {
  if (data != nullptr && size == nullptr) return kErrorInvalidParameter;
  std::lock_guard<std::mutex> lock(mutex_);
  std::int64_t id = 0;
  long rc = ConnectAndResolve(key, &id);
  if (rc != kErrorSuccess) return rc;
  Use s(Prepare(kGetValue, "SELECT type, data FROM vals WHERE key = ?1 AND fold = ?2"));
  if (!s) return ErrorOf(sqlite3_errcode(db_));
  sqlite3_bind_int64(s.get(), 1, id);
  BindText(s.get(), 2, FoldName(name));
  int step = sqlite3_step(s.get());
  if (step == SQLITE_DONE) return KeyAlive(id) ? kErrorFileNotFound : kErrorKeyDeleted;
  if (step != SQLITE_ROW) return ErrorOf(step);
  if (type != nullptr) *type = static_cast<std::uint32_t>(sqlite3_column_int64(s.get(), 0));
  const void* bytes = sqlite3_column_blob(s.get(), 1);
  const auto length = static_cast<std::uint32_t>(sqlite3_column_bytes(s.get(), 1));
  if (data == nullptr) {
    if (size != nullptr) *size = length;
    return kErrorSuccess;
  }
  if (*size < length) {
    *size = length;
    return kErrorMoreData;
  }
  if (length > 0) std::memcpy(data, bytes, length);
  *size = length;
  return kErrorSuccess;
}

long RegistryStore::WriteValue(std::int64_t keyId, const std::string& name, std::uint32_t type,
                               const std::uint8_t* data, std::uint32_t size) {
  Use s(Prepare(kUpsertValue,
                "INSERT INTO vals(key, name, fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5)"
                " ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type,"
                " data = excluded.data"));
  if (!s) return ErrorOf(sqlite3_errcode(db_));
  static const std::uint8_t kNoBytes = 0;
  sqlite3_bind_int64(s.get(), 1, keyId);
  BindText(s.get(), 2, name);
  BindText(s.get(), 3, FoldName(name));
  sqlite3_bind_int64(s.get(), 4, type);
  // A null pointer would bind SQL NULL; an empty value is an empty blob.
  sqlite3_bind_blob(s.get(), 5, size > 0 ? data : &kNoBytes, static_cast<int>(size),
                    SQLITE_TRANSIENT);
  int rc = sqlite3_step(s.get());
  return rc == SQLITE_DONE ? kErrorSuccess : ErrorOf(rc);
}

long RegistryStore::SetValue(HKey key, const std::string& name, std::uint32_t type,
                             const std::uint8_t* data, std::uint32_t size) {
  if ((data == nullptr && size > 0) || Utf16Length(name) > kMaxValueNameChars ||
      size > 0x7FFFFFFF) {
    return kErrorInvalidParameter;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  std::int64_t id = 0;
  long rc = ConnectAndResolve(key, &id);
  if (rc != kErrorSuccess) return rc;
  return InWriteTransaction(
      [&] { return KeyAlive(id) ? WriteValue(id, name, type, data, size) : kErrorKeyDeleted; });
}

long RegistryStore::DeleteKey(HKey key, const std::string& subKey) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::int64_t start = 0;
  long rc = ConnectAndResolve(key, &start);
  if (rc != kErrorSuccess) return rc;
  return InWriteTransaction([&] {
    std::int64_t id = 0;
    long result = ResolvePath(start, subKey, false, &id, nullptr);
    if (result != kErrorSuccess) return result;
    if (IsProtected(id)) return kErrorAccessDenied;
    {
      Use s(Prepare(kHasChild, "SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1"));
      if (!s) return ErrorOf(sqlite3_errcode(db_));
      sqlite3_bind_int64(s.get(), 1, id);
      int step = sqlite3_step(s.get());
      // Windows refuses to delete a key that still has sub-keys.
      if (step == SQLITE_ROW) return kErrorAccessDenied;
      if (step != SQLITE_DONE) return ErrorOf(step);
    }
    Use values(Prepare(kDeleteKeyValues, "DELETE FROM vals WHERE key = ?1"));
    Use row(Prepare(kDeleteKeyRow, "DELETE FROM keys WHERE id = ?1"));
    if (!values || !row) return ErrorOf(sqlite3_errcode(db_));
    sqlite3_bind_int64(values.get(), 1, id);
    sqlite3_bind_int64(row.get(), 1, id);
    int step = sqlite3_step(values.get());
    if (step == SQLITE_DONE) step = sqlite3_step(row.get());
    return step == SQLITE_DONE ? kErrorSuccess : ErrorOf(step);
  });
}

long RegistryStore::DeleteValue(HKey key, const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::int64_t id = 0;
  long rc = ConnectAndResolve(key, &id);
  if (rc != kErrorSuccess) return rc;
  return InWriteTransaction([&] {
    Use s(Prepare(kDeleteValueRow, "DELETE FROM vals WHERE key = ?1 AND fold = ?2"));
    if (!s) return ErrorOf(sqlite3_errcode(db_));
    sqlite3_bind_int64(s.get(), 1, id);
    BindText(s.get(), 2, FoldName(name));
    int step = sqlite3_step(s.get());
    if (step != SQLITE_DONE) return ErrorOf(step);
    if (sqlite3_changes(db_) == 0) return KeyAlive(id) ? kErrorFileNotFound : kErrorKeyDeleted;
    return kErrorSuccess;
  });
}

long RegistryStore::LoadNames(NameCache& cache, HKey handle, std::int64_t keyId, bool subKeys) {
  cache = NameCache{};
  Use s(subKeys ? Prepare(kListKeys, "SELECT name FROM keys WHERE parent = ?1 ORDER BY fold")
                : Prepare(kListValues, "SELECT name FROM vals WHERE key = ?1 ORDER BY id"));
  if (!s) return ErrorOf(sqlite3_errcode(db_));
  sqlite3_bind_int64(s.get(), 1, keyId);
  int step;
  while ((step = sqlite3_step(s.get())) == SQLITE_ROW) {
    cache.names.push_back(ColumnText(s.get(), 0));
  }
  if (step != SQLITE_DONE) {
    cache.names.clear();
    return ErrorOf(step);
  }
  if (cache.names.empty() && !KeyAlive(keyId)) return kErrorKeyDeleted;
  cache.handle = handle;
  cache.keyId = keyId;
  cache.localWrites = localWrites_;
  return kErrorSuccess;
}

long RegistryStore::EnumName(NameCache& cache, HKey key, std::uint32_t index,
                             std::string* name, std::uint32_t maxChars, bool subKeys) {
  if (name == nullptr) return kErrorInvalidParameter;
  std::lock_guard<std::mutex> lock(mutex_);
  std::int64_t id = 0;
  long rc = ConnectAndResolve(key, &id);
  if (rc != kErrorSuccess) return rc;
  // A walk starts at index 0 and reads the names afresh; the later indexes of
  // the same handle reuse them while this process changed nothing. (Changes
  // another process makes in the middle of a walk show from the next walk on.)
  if (index == 0 || cache.handle != key || cache.keyId != id ||
      cache.localWrites != localWrites_) {
    ReadScope read(*this);
    rc = LoadNames(cache, key, id, subKeys);
    if (rc != kErrorSuccess) return rc;
  }
  if (index >= cache.names.size()) return kErrorNoMoreItems;
  const std::string& found = cache.names[index];
  if (Utf16Length(found) + 1 > maxChars) return kErrorMoreData;
  *name = found;
  return kErrorSuccess;
}

long RegistryStore::EnumKey(HKey key, std::uint32_t index, std::string* name,
                            std::uint32_t maxChars) {
  return EnumName(subKeyCache_, key, index, name, maxChars, true);
}

long RegistryStore::EnumValue(HKey key, std::uint32_t index, std::string* name,
                              std::uint32_t maxChars) {
  return EnumName(valueCache_, key, index, name, maxChars, false);
}

long RegistryStore::QueryInfo(HKey key, RegKeyInfo* info) {
  if (info == nullptr) return kErrorInvalidParameter;
  std::lock_guard<std::mutex> lock(mutex_);
  std::int64_t id = 0;
  long rc = ConnectAndResolve(key, &id);
  if (rc != kErrorSuccess) return rc;
  RegKeyInfo result;
  ReadScope read(*this);
  rc = LoadNames(subKeyCache_, 0, id, true);
  if (rc != kErrorSuccess) return rc;
  for (const std::string& n : subKeyCache_.names) {
    result.maxSubKeyLen = std::max(result.maxSubKeyLen, Utf16Length(n));
  }
  result.subKeys = static_cast<std::uint32_t>(subKeyCache_.names.size());
  Use s(Prepare(kValueSizes, "SELECT name, length(data) FROM vals WHERE key = ?1"));
  if (!s) return ErrorOf(sqlite3_errcode(db_));
  sqlite3_bind_int64(s.get(), 1, id);
  int step;
  while ((step = sqlite3_step(s.get())) == SQLITE_ROW) {
    ++result.values;
    result.maxValueNameLen = std::max(result.maxValueNameLen, Utf16Length(ColumnText(s.get(), 0)));
    result.maxValueLen =
        std::max(result.maxValueLen, static_cast<std::uint32_t>(sqlite3_column_int64(s.get(), 1)));
  }
  if (step != SQLITE_DONE) return ErrorOf(step);
  *info = result;
  return kErrorSuccess;
}

}  // namespace korvane::platform::posix
