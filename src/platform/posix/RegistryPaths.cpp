// From handles and key paths to key rows: the roots, the open handles, the
// walk down a path (creating what is missing), and which keys are protected.

#include <vector>

#include "formats/RegFile.h"
#include "platform/posix/RegistryNames.h"
#include "platform/posix/RegistryStore.h"

namespace korvane::platform::posix {

long RegistryStore::ResolveHandle(HKey key, KeyRef* ref) const {
  switch (key) {
    case kHKeyClassesRoot:
      *ref = classesRoot_;
      return kErrorSuccess;
    case kHKeyLocalMachine:
      *ref = {kLocalMachineId, 0};
      return kErrorSuccess;
    case kHKeyCurrentUser:
      *ref = {kCurrentUserId, 0};
      return kErrorSuccess;
    case kHKeyUsers:
      *ref = {kUsersId, 0};
      return kErrorSuccess;
    default:
      break;
  }
  const std::optional<KeyRef> open = handles_.Find(key);
  if (!open) return kErrorInvalidHandle;
  *ref = *open;
  return kErrorSuccess;
}

long RegistryStore::ResolvePath(KeyRef start, const std::string& subKey, bool create,
                                KeyRef* found, bool* created) {
  if (created != nullptr) *created = false;
  std::vector<std::string> names;
  long rc = SplitKeyPath(subKey, &names);
  if (rc != kErrorSuccess) return rc;
  // Nothing may be created below a key another handle or process deleted.
  if ((names.empty() || create) && !KeyAlive(start.id)) return kErrorKeyDeleted;
  KeyRef current = start;
  for (std::size_t i = 0; i < names.size(); ++i) {
    std::int64_t child = 0;
    rc = FindChild(current.id, FoldName(names[i]), &child);
    if (rc == kErrorFileNotFound && create) {
      // No key is made deeper than a Windows registry tree can be; the
      // caller's transaction takes back the levels made before this one.
      if (current.depth >= formats::kRegMaxKeyDepth) return kErrorInvalidParameter;
      rc = InsertKey(current.id, names[i], &child);
      if (rc == kErrorSuccess && created != nullptr) *created = true;
    } else if (rc == kErrorFileNotFound && i == 0 && !KeyAlive(start.id)) {
      rc = kErrorKeyDeleted;
    }
    if (rc != kErrorSuccess) return rc;
    current = {child, current.depth + 1};
  }
  *found = current;
  return kErrorSuccess;
}

long RegistryStore::FindChild(std::int64_t parent, const std::string& fold,
                              std::int64_t* child) {
  StatementUse s(db_.Statement(Sql::FindChild));
  if (!s) return db_.LastFailure();
  s.Bind(1, parent);
  s.Bind(2, fold);
  const int step = s.Step();
  if (step == SQLITE_ROW) {
    *child = s.Int64(0);
    return kErrorSuccess;
  }
  return step == SQLITE_DONE ? kErrorFileNotFound : RegistryErrorOf(step);
}

long RegistryStore::InsertKey(std::int64_t parent, const std::string& name,
                              std::int64_t* child) {
  StatementUse s(db_.Statement(Sql::InsertKey));
  if (!s) return db_.LastFailure();
  s.Bind(1, parent);
  s.Bind(2, name);
  s.Bind(3, FoldName(name));
  const int step = s.Step();
  if (step != SQLITE_DONE) return RegistryErrorOf(step);
  *child = db_.LastInsertId();
  return kErrorSuccess;
}

bool RegistryStore::KeyAlive(std::int64_t keyId) {
  StatementUse s(db_.Statement(Sql::KeyAlive));
  if (!s) return false;
  s.Bind(1, keyId);
  return s.Step() == SQLITE_ROW;
}

bool RegistryStore::IsProtected(std::int64_t keyId) const {
  return keyId == kLocalMachineId || keyId == kCurrentUserId || keyId == kUsersId ||
         keyId == classesRoot_.id;
}

long RegistryStore::TreeHoldsProtectedKey(std::int64_t keyId, bool keepTop, bool* holds) {
  *holds = !keepTop && IsProtected(keyId);
  // The roots lie below nothing; HKEY_CLASSES_ROOT lies below the key when
  // the key is one of its ancestors.
  for (std::int64_t at = classesRoot_.id; !*holds && at != 0;) {
    StatementUse s(db_.Statement(Sql::ParentOf));
    if (!s) return db_.LastFailure();
    s.Bind(1, at);
    const int step = s.Step();
    if (step != SQLITE_ROW) return step == SQLITE_DONE ? kErrorSuccess : RegistryErrorOf(step);
    at = s.Int64(0);  // 0 for a root's NULL parent
    *holds = at == keyId;
  }
  return kErrorSuccess;
}

}  // namespace korvane::platform::posix
