// The operations on one key: opening and creating it, its values, deleting it
// alone or with its tree.

#include "platform/posix/RegistryStore.h"

#include <cstring>

#include "formats/RegFile.h"
#include "platform/posix/RegistryNames.h"

namespace korvane::platform::posix {

namespace {

// The largest value SQLite binds in one piece.
constexpr std::uint32_t kMaxValueBytes = 0x7FFFFFFF;

}  // namespace

long RegistryStore::RunForKey(std::initializer_list<Sql> statements, std::int64_t keyId) {
  for (Sql statement : statements) {
    StatementUse s(db_.Statement(statement));
    if (!s) return db_.LastFailure();
    s.Bind(1, keyId);
    const int step = s.Step();
    if (step != SQLITE_DONE) return RegistryErrorOf(step);
  }
  return kErrorSuccess;
}

long RegistryStore::Open(HKey key, const std::string& subKey, bool create, HKey* result,
                         bool* created) {
  if (result == nullptr) return kErrorInvalidParameter;
  *result = 0;
  if (created != nullptr) *created = false;
  Lock lock(*this);
  KeyRef start;
  long rc = ConnectAndResolve(key, &start);
  if (rc != kErrorSuccess) return rc;
  KeyRef found;
  {
    ReadScope read(db_);
    rc = ResolvePath(start, subKey, false, &found, nullptr);
  }
  // Only a missing key needs the write lock.
  if (rc == kErrorFileNotFound && create) {
    rc = InWriteTransaction([&] { return ResolvePath(start, subKey, true, &found, created); });
    if (rc != kErrorSuccess && created != nullptr) *created = false;
  }
  if (rc != kErrorSuccess) return rc;
  *result = handles_.Add(found);
  return kErrorSuccess;
}

long RegistryStore::Close(HKey key) {
  Lock lock(*this);
  DropInherited();
  if (key == kHKeyClassesRoot || key == kHKeyCurrentUser || key == kHKeyLocalMachine ||
      key == kHKeyUsers) {
    return kErrorSuccess;
  }
  if (!handles_.Remove(key)) return kErrorInvalidHandle;
  for (NameCache* cache : {&subKeyCache_, &valueCache_}) {
    if (cache->handle == key) *cache = NameCache{};
  }
  return kErrorSuccess;
}

long RegistryStore::QueryValue(HKey key, const std::string& name, std::uint32_t* type,
                               std::uint8_t* data, std::uint32_t* size) {
  if (data != nullptr && size == nullptr) return kErrorInvalidParameter;
  Lock lock(*this);
  KeyRef ref;
  long rc = ConnectAndResolve(key, &ref);
  if (rc != kErrorSuccess) return rc;
  StatementUse s(db_.Statement(Sql::GetValue));
  if (!s) return db_.LastFailure();
  s.Bind(1, ref.id);
  s.Bind(2, FoldName(name));
  const int step = s.Step();
  if (step == SQLITE_DONE) return KeyAlive(ref.id) ? kErrorFileNotFound : kErrorKeyDeleted;
  if (step != SQLITE_ROW) return RegistryErrorOf(step);
  if (type != nullptr) *type = static_cast<std::uint32_t>(s.Int64(0));
  const void* bytes = s.Blob(1);
  const std::uint32_t length = s.Bytes(1);
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
  StatementUse s(db_.Statement(Sql::UpsertValue));
  if (!s) return db_.LastFailure();
  s.Bind(1, keyId);
  s.Bind(2, name);
  s.Bind(3, FoldName(name));
  s.Bind(4, static_cast<std::int64_t>(type));
  s.BindBlob(5, data, size);
  const int step = s.Step();
  return step == SQLITE_DONE ? kErrorSuccess : RegistryErrorOf(step);
}

long RegistryStore::SetValue(HKey key, const std::string& name, std::uint32_t type,
                             const std::uint8_t* data, std::uint32_t size) {
  if ((data == nullptr && size > 0) ||
      formats::RegNameLength(name) > formats::kRegMaxValueNameChars || size > kMaxValueBytes) {
    return kErrorInvalidParameter;
  }
  Lock lock(*this);
  KeyRef ref;
  long rc = ConnectAndResolve(key, &ref);
  if (rc != kErrorSuccess) return rc;
  return InWriteTransaction([&] {
    return KeyAlive(ref.id) ? WriteValue(ref.id, name, type, data, size) : kErrorKeyDeleted;
  });
}

long RegistryStore::DeleteKey(HKey key, const std::string& subKey) {
  Lock lock(*this);
  KeyRef start;
  long rc = ConnectAndResolve(key, &start);
  if (rc != kErrorSuccess) return rc;
  return InWriteTransaction([&] {
    KeyRef target;
    long result = ResolvePath(start, subKey, false, &target, nullptr);
    if (result != kErrorSuccess) return result;
    if (IsProtected(target.id)) return kErrorAccessDenied;
    {
      StatementUse s(db_.Statement(Sql::HasChild));
      if (!s) return db_.LastFailure();
      s.Bind(1, target.id);
      const int step = s.Step();
      // Windows refuses to delete a key that still has sub-keys.
      if (step == SQLITE_ROW) return kErrorAccessDenied;
      if (step != SQLITE_DONE) return RegistryErrorOf(step);
    }
    return RunForKey({Sql::DeleteKeyValues, Sql::DeleteKeyRow}, target.id);
  });
}

long RegistryStore::DeleteTree(HKey key, const std::string& subKey) {
  Lock lock(*this);
  KeyRef start;
  long rc = ConnectAndResolve(key, &start);
  if (rc != kErrorSuccess) return rc;
  // An empty path empties the key and keeps it, as Windows does.
  const bool keepTop = subKey.empty();
  return InWriteTransaction([&] {
    KeyRef target;
    long result = ResolvePath(start, subKey, false, &target, nullptr);
    if (result != kErrorSuccess) return result;
    // Checked before anything goes: a refused delete changes nothing.
    bool holdsProtected = false;
    result = TreeHoldsProtectedKey(target.id, keepTop, &holdsProtected);
    if (result != kErrorSuccess) return result;
    if (holdsProtected) return kErrorAccessDenied;
    result = RunForKey({Sql::DeleteTreeValues, Sql::DeleteTreeKeys, Sql::DeleteKeyValues}, target.id);
    if (result != kErrorSuccess || keepTop) return result;
    return RunForKey({Sql::DeleteKeyRow}, target.id);
  });
}

long RegistryStore::DeleteValue(HKey key, const std::string& name) {
  Lock lock(*this);
  KeyRef ref;
  long rc = ConnectAndResolve(key, &ref);
  if (rc != kErrorSuccess) return rc;
  return InWriteTransaction([&] {
    StatementUse s(db_.Statement(Sql::DeleteValueRow));
    if (!s) return db_.LastFailure();
    s.Bind(1, ref.id);
    s.Bind(2, FoldName(name));
    const int step = s.Step();
    if (step != SQLITE_DONE) return RegistryErrorOf(step);
    if (db_.Changes() == 0) return KeyAlive(ref.id) ? kErrorFileNotFound : kErrorKeyDeleted;
    return kErrorSuccess;
  });
}

}  // namespace korvane::platform::posix
