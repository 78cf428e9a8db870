#pragma once
// The statements of the registry store, each with its slot in the statement
// cache of the connection.
//
// Tables: keys (id, parent, name as written, folded name) form the tree;
// vals (id, key, name, folded name, type, data) belong to a key. Names compare
// by their folded form. Ids are never reused (AUTOINCREMENT).

#include <cstdint>

namespace korvane::platform::posix {

// The three stored roots have fixed ids; HKEY_CLASSES_ROOT is a key below the first.
inline constexpr std::int64_t kLocalMachineId = 1;
inline constexpr std::int64_t kCurrentUserId = 2;
inline constexpr std::int64_t kUsersId = 3;

enum class Sql {
  FindChild,
  InsertKey,
  KeyAlive,
  ParentOf,
  HasChild,
  DeleteKeyValues,
  DeleteKeyRow,
  DeleteTreeValues,
  DeleteTreeKeys,
  GetValue,
  UpsertValue,
  DeleteValueRow,
  ListKeys,
  ListValues,
  ValueSizes,
  Begin,
  BeginRead,
  Commit,
  Rollback,
  Savepoint,
  ReleaseSavepoint,
  RollbackToSavepoint,
  Count
};

const char* SqlText(Sql id);

}  // namespace korvane::platform::posix
