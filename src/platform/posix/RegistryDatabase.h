#pragma once
// The SQLite side of the registry store: one connection and the statements
// prepared on it, owned together and released together.

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/posix/RegistrySql.h"

namespace korvane::platform::posix {

struct StatementFinalizer {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using StatementPtr = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

struct ConnectionCloser {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using ConnectionPtr = std::unique_ptr<sqlite3, ConnectionCloser>;

// The registry's result code for a SQLite one: a file that is no store or a
// damaged one is corrupt; one that cannot be opened, read or written failed.
long RegistryErrorOf(int sqliteCode);

// One use of a prepared statement: the caller binds and steps it; when the use
// ends it is reset and its bindings cleared, so that no read stays open.
class StatementUse {
 public:
  explicit StatementUse(sqlite3_stmt* statement) : statement_(statement) {}
  ~StatementUse();
  StatementUse(const StatementUse&) = delete;
  StatementUse& operator=(const StatementUse&) = delete;

  // False when the statement could not be prepared.
  explicit operator bool() const { return statement_ != nullptr; }

  void Bind(int index, std::int64_t value);
  void Bind(int index, const std::string& text);
  // An empty value binds an empty blob, never SQL NULL.
  void BindBlob(int index, const std::uint8_t* data, std::uint32_t size);
  int Step();
  std::int64_t Int64(int column) const;
  std::string Text(int column) const;
  const void* Blob(int column) const;
  std::uint32_t Bytes(int column) const;

 private:
  sqlite3_stmt* statement_;
};

class RegistryDatabase {
 public:
  RegistryDatabase();
  RegistryDatabase(const RegistryDatabase&) = delete;
  RegistryDatabase& operator=(const RegistryDatabase&) = delete;

  // Opens an existing file for reading and writing, waiting up to
  // busyTimeoutMs for other writers; a SQLite result code.
  int Open(const std::string& path, int busyTimeoutMs);
  // Finalizes every statement, then closes the connection.
  void Close();
  // Forgets the connection without closing it: in a child after fork() it is
  // the parent's, and closing it could checkpoint or remove the parent's journal.
  void Abandon();
  bool IsOpen() const { return db_ != nullptr; }

  // The statement, prepared on first use and kept until Close; a use that
  // tests false when it cannot be prepared.
  sqlite3_stmt* Statement(Sql id);
  // A statement prepared for a single use.
  StatementPtr PrepareOnce(const char* sql);
  // Runs one statement that returns no rows; a registry result code.
  long Run(Sql id);
  // Runs SQL text (several statements allowed); a SQLite result code.
  int Exec(const std::string& sql);

  // The registry result code of the failure just met on this connection
  // (never kErrorSuccess).
  long LastFailure() const;
  bool InTransaction() const;
  std::int64_t LastInsertId() const;
  int Changes() const;

 private:
  ConnectionPtr db_;
  std::vector<StatementPtr> statements_;
};

}  // namespace korvane::platform::posix
