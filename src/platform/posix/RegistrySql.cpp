#include "platform/posix/RegistrySql.h"

namespace korvane::platform::posix {

const char* SqlText(Sql id) {
  switch (id) {
    case Sql::FindChild: return "SELECT id FROM keys WHERE parent = ?1 AND fold = ?2";
    case Sql::InsertKey: return "INSERT INTO keys(parent, name, fold) VALUES(?1, ?2, ?3)";
    case Sql::KeyAlive: return "SELECT 1 FROM keys WHERE id = ?1";
    case Sql::ParentOf: return "SELECT parent FROM keys WHERE id = ?1";
    case Sql::HasChild: return "SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1";
    case Sql::DeleteKeyValues: return "DELETE FROM vals WHERE key = ?1";
    case Sql::DeleteKeyRow: return "DELETE FROM keys WHERE id = ?1";
    // "below": the keys under key ?1 at any depth, found without recursion in
    // our code, so that a tree of any depth goes.
    case Sql::DeleteTreeValues:
      return "WITH RECURSIVE below(id) AS (SELECT id FROM keys WHERE parent = ?1"
             " UNION ALL SELECT keys.id FROM keys JOIN below ON keys.parent = below.id)"
             " DELETE FROM vals WHERE key IN below";
    case Sql::DeleteTreeKeys:
      return "WITH RECURSIVE below(id) AS (SELECT id FROM keys WHERE parent = ?1"
             " UNION ALL SELECT keys.id FROM keys JOIN below ON keys.parent = below.id)"
             " DELETE FROM keys WHERE id IN below";
    case Sql::GetValue: return "SELECT type, data FROM vals WHERE key = ?1 AND fold = ?2";
    case Sql::UpsertValue:
      return "INSERT INTO vals(key, name, fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5)"
             " ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data";
    case Sql::DeleteValueRow: return "DELETE FROM vals WHERE key = ?1 AND fold = ?2";
    case Sql::ListKeys: return "SELECT name FROM keys WHERE parent = ?1 ORDER BY fold";
    case Sql::ListValues: return "SELECT name FROM vals WHERE key = ?1 ORDER BY id";
    case Sql::ValueSizes: return "SELECT name, length(data) FROM vals WHERE key = ?1";
    // The busy timeout already waits for other writers; one that holds the
    // lock longer than that is taken for hung.
    case Sql::Begin: return "BEGIN IMMEDIATE";
    case Sql::BeginRead: return "BEGIN";
    case Sql::Commit: return "COMMIT";
    case Sql::Rollback: return "ROLLBACK";
    // One change inside a larger one: undone alone when it fails.
    case Sql::Savepoint: return "SAVEPOINT one_change";
    case Sql::ReleaseSavepoint: return "RELEASE one_change";
    case Sql::RollbackToSavepoint: return "ROLLBACK TO one_change";
    case Sql::Count: break;
  }
  return "";
}

}  // namespace korvane::platform::posix
