// Enumerating a key's sub-keys and values, and the sizes RegQueryInfoKey reports.

#include <algorithm>

#include "formats/RegFile.h"
#include "platform/posix/RegistryStore.h"

namespace korvane::platform::posix {

namespace {

std::uint32_t Length(const std::string& name) {
  return static_cast<std::uint32_t>(formats::RegNameLength(name));
}

}  // namespace

long RegistryStore::LoadNames(NameCache& cache, HKey handle, std::int64_t keyId, bool subKeys) {
  cache = NameCache{};
  StatementUse s(db_.Statement(subKeys ? Sql::ListKeys : Sql::ListValues));
  if (!s) return db_.LastFailure();
  s.Bind(1, keyId);
  int step;
  while ((step = s.Step()) == SQLITE_ROW) cache.names.push_back(s.Text(0));
  if (step != SQLITE_DONE) {
    cache.names.clear();
    return RegistryErrorOf(step);
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
  Lock lock(*this);
  KeyRef ref;
  long rc = ConnectAndResolve(key, &ref);
  if (rc != kErrorSuccess) return rc;
  // A walk starts at index 0 and reads the names afresh; the later indexes of
  // the same handle reuse them while this process changed nothing. (Changes
  // another process makes in the middle of a walk show from the next walk on.)
  if (index == 0 || cache.handle != key || cache.keyId != ref.id ||
      cache.localWrites != localWrites_) {
    ReadScope read(db_);
    rc = LoadNames(cache, key, ref.id, subKeys);
    if (rc != kErrorSuccess) return rc;
  }
  if (index >= cache.names.size()) return kErrorNoMoreItems;
  const std::string& found = cache.names[index];
  if (Length(found) + 1 > maxChars) return kErrorMoreData;
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
  Lock lock(*this);
  KeyRef ref;
  long rc = ConnectAndResolve(key, &ref);
  if (rc != kErrorSuccess) return rc;
  RegKeyInfo result;
  ReadScope read(db_);
  rc = LoadNames(subKeyCache_, 0, ref.id, true);
  if (rc != kErrorSuccess) return rc;
  for (const std::string& n : subKeyCache_.names) {
    result.maxSubKeyLen = std::max(result.maxSubKeyLen, Length(n));
  }
  result.subKeys = static_cast<std::uint32_t>(subKeyCache_.names.size());
  StatementUse s(db_.Statement(Sql::ValueSizes));
  if (!s) return db_.LastFailure();
  s.Bind(1, ref.id);
  int step;
  while ((step = s.Step()) == SQLITE_ROW) {
    ++result.values;
    result.maxValueNameLen = std::max(result.maxValueNameLen, Length(s.Text(0)));
    result.maxValueLen = std::max(result.maxValueLen, static_cast<std::uint32_t>(s.Int64(1)));
  }
  if (step != SQLITE_DONE) return RegistryErrorOf(step);
  *info = result;
  return kErrorSuccess;
}

}  // namespace korvane::platform::posix
