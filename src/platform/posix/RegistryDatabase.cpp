#include "platform/posix/RegistryDatabase.h"

#include "platform/Registry.h"

namespace korvane::platform::posix {

long RegistryErrorOf(int sqliteCode) {
  switch (sqliteCode & 0xFF) {
    case SQLITE_OK:
    case SQLITE_DONE:
    case SQLITE_ROW:
      return kErrorSuccess;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return kErrorRegistryCorrupt;
    case SQLITE_NOMEM:
      return kErrorOutOfMemory;
    default:
      // Cannot open, read-only, I/O error, disk full, locked past the wait:
      // the store cannot be used, which is not the same as a missing key.
      return kErrorRegistryIoFailed;
  }
}

StatementUse::~StatementUse() {
  if (statement_ != nullptr) {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
  }
}

void StatementUse::Bind(int index, std::int64_t value) {
  sqlite3_bind_int64(statement_, index, value);
}

void StatementUse::Bind(int index, const std::string& text) {
  sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()),
                    SQLITE_TRANSIENT);
}

void StatementUse::BindBlob(int index, const std::uint8_t* data, std::uint32_t size) {
  static const std::uint8_t kNoBytes = 0;
  sqlite3_bind_blob(statement_, index, size > 0 ? data : &kNoBytes, static_cast<int>(size),
                    SQLITE_TRANSIENT);
}

int StatementUse::Step() { return sqlite3_step(statement_); }

std::int64_t StatementUse::Int64(int column) const {
  return sqlite3_column_int64(statement_, column);
}

std::string StatementUse::Text(int column) const {
  const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
  return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)))
           : std::string();
}

const void* StatementUse::Blob(int column) const { return sqlite3_column_blob(statement_, column); }

std::uint32_t StatementUse::Bytes(int column) const {
  return static_cast<std::uint32_t>(sqlite3_column_bytes(statement_, column));
}

RegistryDatabase::RegistryDatabase() : statements_(static_cast<std::size_t>(Sql::Count)) {}

int RegistryDatabase::Open(const std::string& path, int busyTimeoutMs) {
  Close();
  sqlite3* opened = nullptr;
  const int rc =
      sqlite3_open_v2(path.c_str(), &opened, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  // SQLite hands out a connection even when opening fails; it must be closed too.
  db_.reset(opened);
  if (rc != SQLITE_OK) {
    Close();
    return rc;
  }
  sqlite3_busy_timeout(opened, busyTimeoutMs);
  sqlite3_extended_result_codes(opened, 1);
  return SQLITE_OK;
}

void RegistryDatabase::Close() {
  for (StatementPtr& statement : statements_) statement.reset();
  db_.reset();
}

void RegistryDatabase::Abandon() {
  for (StatementPtr& statement : statements_) static_cast<void>(statement.release());
  static_cast<void>(db_.release());
}

sqlite3_stmt* RegistryDatabase::Statement(Sql id) {
  StatementPtr& slot = statements_[static_cast<std::size_t>(id)];
  if (!slot && db_) {
    sqlite3_stmt* prepared = nullptr;
    if (sqlite3_prepare_v3(db_.get(), SqlText(id), -1, SQLITE_PREPARE_PERSISTENT, &prepared,
                           nullptr) == SQLITE_OK) {
      slot.reset(prepared);
    } else {
      sqlite3_finalize(prepared);
    }
  }
  return slot.get();
}

StatementPtr RegistryDatabase::PrepareOnce(const char* sql) {
  sqlite3_stmt* prepared = nullptr;
  if (db_ && sqlite3_prepare_v2(db_.get(), sql, -1, &prepared, nullptr) != SQLITE_OK) {
    sqlite3_finalize(prepared);
    prepared = nullptr;
  }
  return StatementPtr(prepared);
}

long RegistryDatabase::Run(Sql id) {
  StatementUse statement(Statement(id));
  if (!statement) return LastFailure();
  return RegistryErrorOf(statement.Step());
}

int RegistryDatabase::Exec(const std::string& sql) {
  return db_ ? sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, nullptr) : SQLITE_MISUSE;
}

long RegistryDatabase::LastFailure() const {
  const long failure = db_ ? RegistryErrorOf(sqlite3_errcode(db_.get())) : kErrorSuccess;
  return failure != kErrorSuccess ? failure : kErrorRegistryIoFailed;
}

bool RegistryDatabase::InTransaction() const {
  return db_ && sqlite3_get_autocommit(db_.get()) == 0;
}

std::int64_t RegistryDatabase::LastInsertId() const {
  return db_ ? sqlite3_last_insert_rowid(db_.get()) : 0;
}

int RegistryDatabase::Changes() const { return db_ ? sqlite3_changes(db_.get()) : 0; }

}  // namespace korvane::platform::posix
