#pragma once
// The registry of a Wine prefix, read from the files wineserver saves it in:
// system.reg (HKEY_LOCAL_MACHINE), user.reg (HKEY_CURRENT_USER, also listed
// under HKEY_USERS by the user's SID) and userdef.reg (HKEY_USERS\.Default).
//
// The files are read by Load (a program checking the prefix before a command
// that uses the registry) or when a key is first opened from a root, never
// before: a command that does not read the registry never pays for it. They
// are held compactly (see WineHive.h) and read again when one of them
// changes (size or modification time), checked whenever a key is opened from
// a root and after every change made through Wine; an open handle then finds
// its key again in the new reading, as a Windows handle sees the live key (a
// key that is gone gives ERROR_KEY_DELETED). A running
// wineserver writes its changes to the files a few seconds after they are
// made (and when it exits), so a change Wine made a moment ago may not show
// yet: whoever writes through Wine waits for its wineserver to finish first.
//
// Semantics copied from Windows, as the registry class relies on them:
// names compared ignoring letter case; sub-keys enumerated in alphabetical
// order ignoring case, values in file order; HKEY_CLASSES_ROOT is
// HKCU\Software\Classes merged over HKLM\Software\Classes (a key present in
// both enumerates the sub-keys of both and reads its values from the user's
// key); keys marked as links (#link, SymbolicLinkValue) are followed, so
// Wow6432Node\TypeLib is the shared TypeLib key. In the 32-bit view of a
// 64-bit prefix, HKLM\Software\X reads HKLM\Software\Wow6432Node\X, and the
// class keys Windows redirects (CLSID, Interface, DirectShow, Media Type,
// MediaFoundation) read their Wow6432Node branch.
//
// Writing goes through Wine, never by editing the files under a running
// wineserver: each write is checked against the files as Windows would check
// it, then planned; the plan is carried out by the Windows korvane-cli running
// `reg import` of it in the prefix (see WineRunner.h) when a later read
// concerns a planned key, when FlushWrites is called, and at exit.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "formats/RegFile.h"
#include "platform/Registry.h"
#include "platform/posix/RegistryBackEnd.h"
#include "platform/posix/WineHive.h"

namespace korvane::platform::posix {

class WinePrefixRegistry final : public RegistryBackEnd {
 public:
  static WinePrefixRegistry& Instance();
  // Handle values of this back end start here, apart from the store's, so
  // that a handle of the other back end is never taken for one of ours.
  static constexpr HKey kFirstHandle = 0x40000000u;
  WinePrefixRegistry(const WinePrefixRegistry&) = delete;
  WinePrefixRegistry& operator=(const WinePrefixRegistry&) = delete;

  // The prefix the registry functions read now: "" for none (the store).
  static std::string ActivePrefix();

  long Open(HKey key, const std::string& subKey, bool create, HKey* result, bool* created) override;
  long Close(HKey key) override;
  long QueryValue(HKey key, const std::string& name, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* size) override;
  long SetValue(HKey key, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override;
  long DeleteKey(HKey key, const std::string& subKey) override;
  // Refused when the tree holds a root or the classes key; otherwise planned
  // as one delete of the key with its tree (an empty subKey: of each sub-key).
  long DeleteTree(HKey key, const std::string& subKey) override;
  long DeleteValue(HKey key, const std::string& name) override;
  long EnumKey(HKey key, std::uint32_t index, std::string* name, std::uint32_t maxChars) override;
  long EnumValue(HKey key, std::uint32_t index, std::string* name, std::uint32_t maxChars) override;
  long QueryInfo(HKey key, RegKeyInfo* info) override;
  // The prefix's changes are applied by Wine's own registry, one by one:
  // body just runs.
  long RunAsOneChange(const std::function<long()>& body) override { return body(); }
  bool GroupsChanges() const override { return false; }

  void SetView(int bits);
  // Reads the prefix's files now; "" when they read well, else the reason.
  std::string Load(const std::string& prefix);
  // Forgets the reading, every open handle and every planned write.
  void Reset();

  // Carries out the planned writes now; "" when done, else why not.
  std::string FlushWrites();
  // Gives the prefix the class keys of .dll, .exe and .ocx (dllfile,
  // exefile, ocxfile) where it lacks them, as a Windows machine has them;
  // "" when done.
  std::string EnsureClassKeys();

  struct Hives;

 private:
  WinePrefixRegistry() = default;

  // What a handle stands for: a key of one hive (in machine), or a key of
  // the merged classes root (the user's and the machine's key, one of them
  // may be missing).
  struct OpenKey {
    std::shared_ptr<const Hives> hives;
    WineKey user;
    WineKey machine;
    bool classes = false;
    HKey root = 0;          // the predefined key it was opened from
    std::string path;       // below root, as given
    bool pending = false;   // made by a planned write: not in the files yet
    // The key values are read from.
    const WineKey& Own() const { return user.Exists() ? user : machine; }
  };

  // Where the last enumeration of a handle's sub-keys stopped, so that
  // enumerating them one index after another costs one step each.
  struct EnumPlace {
    const Hives* hives = nullptr;
    WineKey user;
    WineKey machine;
    std::uint32_t index = 0;
    std::uint32_t userAt = 0;
    std::uint32_t machineAt = 0;
  };

  // Each of these expects mutex_ to be held.
  // Reads the prefix's files unless the reading in hand is of the same files.
  long Refresh(const std::string& prefix);
  long Resolve(HKey key, const std::string& subKey, OpenKey* out);
  // The key a handle names now, the plan carried out first when it concerns it.
  long Current(HKey key, OpenKey* out);
  long Lookup(HKey key, OpenKey* out) const;
  // The first sub-key (index 0) of key, and the one after place's.
  EnumPlace FirstSubKey(const OpenKey& key) const;
  bool NextSubKey(EnumPlace& place) const;
  // The sub-key at place; false past the last.
  bool SubKeyAt(const EnumPlace& place, std::string_view* name) const;
  // The place kept for a handle (a root's too), or nullptr.
  EnumPlace* PlaceOf(HKey key);
  void ForgetPlaces();
  long EnumName(HKey key, std::uint32_t index, std::string* name, std::uint32_t maxChars,
                bool subKeys);
  // Carries out the plan first when a read concerns a planned key; with
  // deletesBelowKnown, not when all it concerns are planned deletes of keys
  // below the one read (the caller counts those keys as gone).
  long BeforeRead(HKey key, const std::string& subKey, bool deletesBelowKnown = false);
  long Plan(formats::RegOperation operation, const OpenKey& key);
  // Plans the delete of key\subKey, with its tree or only when it has no
  // sub-keys; takes the lock itself.
  long PlanKeyDelete(HKey key, const std::string& subKey, bool withTree);
  std::string Flush();

  std::mutex mutex_;
  std::string prefix_;
  std::shared_ptr<const Hives> hives_;
  std::string loadError_;
  int viewBits_ = 64;
  // Open handles: handle value h is slot h - 1; a slot without hives is free.
  std::vector<OpenKey> handles_;
  std::vector<EnumPlace> places_;  // by handle slot, as handles_
  EnumPlace rootPlace_[4];          // HKCR, HKCU, HKLM, HKU
  std::vector<formats::RegOperation> pending_;
  std::string flushError_;
  bool forceReload_ = false;
  bool exitHook_ = false;
};

}  // namespace korvane::platform::posix
