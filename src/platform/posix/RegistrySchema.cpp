// The tables of a store file, and the keys a new store starts with.

#include <cstring>

#include "platform/posix/RegistryStore.h"

namespace korvane::platform::posix {

namespace {

constexpr int kSchemaVersion = 1;
constexpr char kClassesPath[] = "Software\\Classes";

constexpr char kTables[] =
    "CREATE TABLE IF NOT EXISTS keys("
    " id INTEGER PRIMARY KEY AUTOINCREMENT, parent INTEGER,"
    " name TEXT NOT NULL, fold TEXT NOT NULL);"
    "CREATE UNIQUE INDEX IF NOT EXISTS keys_by_parent ON keys(parent, fold);"
    "CREATE TABLE IF NOT EXISTS vals("
    " id INTEGER PRIMARY KEY AUTOINCREMENT, key INTEGER NOT NULL,"
    " name TEXT NOT NULL, fold TEXT NOT NULL, type INTEGER NOT NULL, data BLOB NOT NULL);"
    "CREATE UNIQUE INDEX IF NOT EXISTS vals_by_key ON vals(key, fold);"
    // The three stored roots, with their fixed ids.
    "INSERT OR IGNORE INTO keys(id, parent, name, fold) VALUES"
    " (1, NULL, 'HKEY_LOCAL_MACHINE', 'HKEY_LOCAL_MACHINE'),"
    " (2, NULL, 'HKEY_CURRENT_USER', 'HKEY_CURRENT_USER'),"
    " (3, NULL, 'HKEY_USERS', 'HKEY_USERS');";

// The file's schema version (0 for a new file); false when it cannot be read.
bool ReadVersion(RegistryDatabase& db, int* version, long* failure) {
  StatementPtr statement = db.PrepareOnce("PRAGMA user_version");
  if (!statement) {
    *failure = db.LastFailure();
    return false;
  }
  const int rc = sqlite3_step(statement.get());
  if (rc != SQLITE_ROW) {
    *failure = RegistryErrorOf(rc);
    return false;
  }
  *version = sqlite3_column_int(statement.get(), 0);
  return true;
}

}  // namespace

long RegistryStore::InitialiseSchema() {
  // The usual case, a store made earlier, needs no write lock.
  int version = 0;
  long rc = kErrorSuccess;
  if (!ReadVersion(db_, &version, &rc)) return rc;
  if (version > kSchemaVersion) return kErrorRegistryCorrupt;
  if (version == kSchemaVersion &&
      ResolvePath({kLocalMachineId, 0}, kClassesPath, false, &classesRoot_, nullptr) ==
          kErrorSuccess) {
    return kErrorSuccess;
  }
  return InWriteTransaction([&] { return CreateSchema(); });
}

// Runs inside a write transaction; another process may have done it meanwhile,
// so every step tolerates finding its work done.
long RegistryStore::CreateSchema() {
  int version = 0;
  long result = kErrorSuccess;
  if (!ReadVersion(db_, &version, &result)) return result;
  int rc = db_.Exec(kTables);
  if (rc != SQLITE_OK) return RegistryErrorOf(rc);
  result = ResolvePath({kLocalMachineId, 0}, kClassesPath, true, &classesRoot_, nullptr);
  if (result != kErrorSuccess || version == kSchemaVersion) return result;

  // A new store: the class keys a fresh Windows machine has for our needs.
  struct Extension {
    const char* name;
    const char* fileClass;
  };
  for (const Extension& e : {Extension{".dll", "dllfile"}, Extension{".exe", "exefile"},
                             Extension{".ocx", "ocxfile"}}) {
    KeyRef key;
    result = ResolvePath(classesRoot_, e.name, true, &key, nullptr);
    if (result != kErrorSuccess) return result;
    const std::size_t size = std::strlen(e.fileClass) + 1;
    result = WriteValue(key.id, "", kRegSz, reinterpret_cast<const std::uint8_t*>(e.fileClass),
                        static_cast<std::uint32_t>(size));
    if (result != kErrorSuccess) return result;
    result = ResolvePath(classesRoot_, e.fileClass, true, &key, nullptr);
    if (result != kErrorSuccess) return result;
  }
  KeyRef folder;
  result = ResolvePath(classesRoot_, "Folder", true, &folder, nullptr);
  if (result != kErrorSuccess) return result;
  rc = db_.Exec("PRAGMA user_version=" + std::to_string(kSchemaVersion));
  return rc == SQLITE_OK ? kErrorSuccess : RegistryErrorOf(rc);
}

}  // namespace korvane::platform::posix
