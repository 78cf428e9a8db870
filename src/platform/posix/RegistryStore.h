#pragma once
// The registry on Linux: one SQLite file shared by every process of the user.
//
// Keys form a tree, values belong to a key (see RegistrySql.h); names compare
// by their folded form, so letter case is ignored and kept. Key ids are never
// reused, so a handle to a deleted key stays recognisable.
// HKEY_CLASSES_ROOT is the key HKEY_LOCAL_MACHINE\Software\Classes.
//
// Every change runs in its own BEGIN IMMEDIATE transaction on a WAL journal,
// or as a savepoint inside the one transaction of RunAsOneChange: a process
// killed at any moment leaves the file consistent with every committed change
// in it, and writers of other processes wait their turn (busy timeout)
// instead of failing. synchronous=NORMAL: a commit reaches the operating
// system before it returns, so only a power loss can take back the last
// commits (never corrupting the file) - the same promise Windows gives, which
// writes its hives lazily.
//
// One connection per process, opened on first use. The file is taken from
// KORVANE_REGISTRY, else $XDG_DATA_HOME/korvane/registry.db; when that
// setting changes the store closes and opens the new file (open handles are
// then invalid). A child after fork() never touches its parent's connection.
//
// The parts: RegistryConnection.cpp (connecting, forks, transactions),
// RegistrySchema.cpp (a new file's tables and base keys), RegistryPaths.cpp
// (handles and key paths), RegistryStore.cpp (the operations that change or
// read one key), RegistryEnum.cpp (enumerations and the name cache).

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "platform/posix/RegistryBackEnd.h"
#include "platform/posix/RegistryDatabase.h"
#include "platform/posix/RegistryHandles.h"

namespace korvane::platform::posix {

// The store file the environment names now (empty when it names none).
std::string RegistryStoreFile();

class RegistryStore final : public RegistryBackEnd {
 public:
  static RegistryStore& Instance();
  RegistryStore(const RegistryStore&) = delete;
  RegistryStore& operator=(const RegistryStore&) = delete;

  long Open(HKey key, const std::string& subKey, bool create, HKey* result, bool* created) override;
  long Close(HKey key) override;
  long QueryValue(HKey key, const std::string& name, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* size) override;
  long SetValue(HKey key, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override;
  long DeleteKey(HKey key, const std::string& subKey) override;
  long DeleteTree(HKey key, const std::string& subKey) override;
  long DeleteValue(HKey key, const std::string& name) override;
  long EnumKey(HKey key, std::uint32_t index, std::string* name, std::uint32_t maxChars) override;
  long EnumValue(HKey key, std::uint32_t index, std::string* name, std::uint32_t maxChars) override;
  long QueryInfo(HKey key, RegKeyInfo* info) override;
  // Runs body in one write transaction; see RegRunAsOneChange.
  long RunAsOneChange(const std::function<long()>& body) override;
  bool GroupsChanges() const override { return true; }

  // The file the store uses now (opening it if needed); empty when it cannot.
  std::string FilePath();
  // Closes the connection and forgets every open handle; the next call opens
  // the file named by the environment again.
  void Reset();

 private:
  RegistryStore();

  // The names of one key's sub-keys or values from the last enumeration,
  // kept while nothing changed so that walking n names costs n, not n squared.
  struct NameCache {
    HKey handle = 0;
    std::int64_t keyId = 0;
    std::int64_t localWrites = -1;
    std::vector<std::string> names;
  };

  // A read transaction for the scope's lifetime, unless one is open already.
  class ReadScope {
   public:
    explicit ReadScope(RegistryDatabase& db);
    ~ReadScope();
    ReadScope(const ReadScope&) = delete;
    ReadScope& operator=(const ReadScope&) = delete;

   private:
    RegistryDatabase& db_;
    bool began_ = false;
  };

  // Holds mutex_ for one call. A call made on the thread that holds it already
  // (inside RunAsOneChange's body) goes straight in.
  class Lock {
   public:
    explicit Lock(RegistryStore& store);
    ~Lock();
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

   private:
    std::mutex& mutex_;
  };

  // Each of these expects mutex_ to be held.
  // RegistryConnection.cpp
  long Connect();
  void DropInherited();
  long OpenFile(const std::string& path);
  void Disconnect(bool closeFile);
  // Runs body as one write: its own transaction, or a savepoint inside the
  // transaction already open. Kept when body succeeds, undone otherwise.
  long InWriteTransaction(const std::function<long()>& body);
  long ConnectAndResolve(HKey key, KeyRef* ref);
  // RegistrySchema.cpp
  long InitialiseSchema();
  long CreateSchema();
  // RegistryPaths.cpp
  long ResolveHandle(HKey key, KeyRef* ref) const;
  long ResolvePath(KeyRef start, const std::string& subKey, bool create, KeyRef* found,
                   bool* created);
  long FindChild(std::int64_t parent, const std::string& fold, std::int64_t* child);
  long InsertKey(std::int64_t parent, const std::string& name, std::int64_t* child);
  bool KeyAlive(std::int64_t keyId);
  bool IsProtected(std::int64_t keyId) const;
  // Whether deleting the tree at keyId (itself too, unless keepTop) would
  // take a protected key with it.
  long TreeHoldsProtectedKey(std::int64_t keyId, bool keepTop, bool* holds);
  // RegistryStore.cpp
  // Runs each statement, the key's id its one parameter, until one fails.
  long RunForKey(std::initializer_list<Sql> statements, std::int64_t keyId);
  long WriteValue(std::int64_t keyId, const std::string& name, std::uint32_t type,
                  const std::uint8_t* data, std::uint32_t size);
  // RegistryEnum.cpp
  long LoadNames(NameCache& cache, HKey handle, std::int64_t keyId, bool subKeys);
  long EnumName(NameCache& cache, HKey key, std::uint32_t index, std::string* name,
                std::uint32_t maxChars, bool subKeys);

  std::mutex mutex_;
  RegistryDatabase db_;
  std::string path_;
  KeyRef classesRoot_;
  // Counts the writes this process made, so that a name cache knows it is stale.
  std::int64_t localWrites_ = 0;
  RegistryHandles handles_;
  NameCache subKeyCache_;
  NameCache valueCache_;
};

}  // namespace korvane::platform::posix
