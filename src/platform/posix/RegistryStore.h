#pragma once
// The registry on Linux: one SQLite file shared by every process of the user.
//
// Keys form a tree (table keys: id, parent, name as written, folded name);
// values belong to a key (table vals: id, key, name, folded name, type, data).
// Names compare by their folded form, so letter case is ignored and kept.
// Key ids are never reused, so a handle to a deleted key stays recognisable.
// HKEY_CLASSES_ROOT is the key HKEY_LOCAL_MACHINE\Software\Classes.
//
// Every change runs in its own BEGIN IMMEDIATE transaction on a WAL journal:
// a process killed at any moment leaves the file consistent with every
// committed change in it, and writers of other processes wait their turn
// (busy timeout) instead of failing. synchronous=NORMAL: a commit reaches the
// operating system before it returns, so only a power loss can take back the
// last commits (never corrupting the file) - the same promise Windows gives,
// which writes its hives lazily.
//
// One connection per process, opened on first use. The file is taken from
// KORVANE_REGISTRY, else $XDG_DATA_HOME/korvane/registry.db; when that
// setting changes the store closes and opens the new file (open handles are
// then invalid). A child after fork() never touches its parent's connection.

#include <sqlite3.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace korvane::platform::posix {

class RegistryStore {
 public:
  static RegistryStore& Instance();
  RegistryStore(const RegistryStore&) = delete;
  RegistryStore& operator=(const RegistryStore&) = delete;

  long Open(HKey key, const std::string& subKey, bool create, HKey* result, bool* created);
  long Close(HKey key);
  long QueryValue(HKey key, const std::string& name, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* size);
  long SetValue(HKey key, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size);
  long DeleteKey(HKey key, const std::string& subKey);
  long DeleteValue(HKey key, const std::string& name);
  long EnumKey(HKey key, std::uint32_t index, std::string* name, std::uint32_t maxChars);
  long EnumValue(HKey key, std::uint32_t index, std::string* name, std::uint32_t maxChars);
  long QueryInfo(HKey key, RegKeyInfo* info);

  // The file the store uses now (opening it if needed); empty when it cannot.
  std::string FilePath();
  // Closes the connection and forgets every open handle; the next call opens
  // the file named by the environment again.
  void Reset();

  // Longest key name, in UTF-16 units, as on Windows.
  static constexpr std::uint32_t kMaxKeyNameChars = 255;
  // Longest value name, in UTF-16 units.
  static constexpr std::uint32_t kMaxValueNameChars = 16383;

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
    explicit ReadScope(RegistryStore& store);
    ~ReadScope();
    ReadScope(const ReadScope&) = delete;
    ReadScope& operator=(const ReadScope&) = delete;

   private:
    RegistryStore& store_;
    bool began_ = false;
  };

  // Each of these expects mutex_ to be held.
  long Connect();
  // In a child after fork(): forgets the parent's connection and handles.
  void DropInherited();
  long OpenFile(const std::string& path);
  long InitialiseSchema();
  long CreateSchema();
  void Disconnect(bool closeFile);
  sqlite3_stmt* Prepare(int id, const char* sql);
  long ResolveHandle(HKey key, std::int64_t* keyId);
  long ResolvePath(std::int64_t start, const std::string& subKey, bool create,
                   std::int64_t* keyId, bool* created);
  long FindChild(std::int64_t parent, const std::string& fold, std::int64_t* child);
  long InsertKey(std::int64_t parent, const std::string& name, std::int64_t* child);
  long WriteValue(std::int64_t keyId, const std::string& name, std::uint32_t type,
                  const std::uint8_t* data, std::uint32_t size);
  bool KeyAlive(std::int64_t keyId);
  bool IsProtected(std::int64_t keyId) const;
  long LoadNames(NameCache& cache, HKey handle, std::int64_t keyId, bool subKeys);
  long EnumName(NameCache& cache, HKey key, std::uint32_t index, std::string* name,
                std::uint32_t maxChars, bool subKeys);
  long Exec(int id, const char* sql);
  long Begin();
  long Commit();
  void Rollback();
  // Runs body inside one write transaction: committed when body succeeds,
  // rolled back otherwise. Returns body's result, or the failure to begin or
  // commit.
  template <typename Body>
  long InWriteTransaction(Body&& body);
  // Connects to the store and finds the key that a handle stands for.
  long ConnectAndResolve(HKey key, std::int64_t* keyId);
  HKey NewHandle(std::int64_t keyId);

  std::mutex mutex_;
  sqlite3* db_ = nullptr;
  std::string path_;
  std::int64_t classesRoot_ = 0;
  std::int64_t localWrites_ = 0;
  std::vector<sqlite3_stmt*> statements_;
  // Open handles: handle value h is slot h - 1; 0 in a slot means free.
  std::vector<std::int64_t> handles_;
  NameCache subKeyCache_;
  NameCache valueCache_;
};

}  // namespace korvane::platform::posix
